#pragma once

// What assistive technology sees of the Merged window's text area: editable,
// multi-line text, the lines joined by '\n', with the caret and the
// selection, and an event for every change. A line reads as the area draws
// it (uikit/textcells.h, ReadableText). Offsets count UTF-16 units, as
// QString does.

#include "merge/mergedtext.h"

#include <QAccessibleWidget>
#include <QString>

#include <cstdint>
#include <vector>

namespace lindo {

class CMergedEditCtrl;

// Registers the interface with Qt; later calls do nothing.
void InstallMergedEditAccessibility();

class MergedEditAccessible;

// Tells assistive technology of a change to the text, made between its
// construction (the text from `from` to `to` about to be replaced) and
// Done (the new text from `from` up to `to`). Does nothing when no client
// listens.
class MergedTextChange {
public:
    MergedTextChange(CMergedEditCtrl &text, TextPos from, TextPos to);
    void Done(TextPos to);

private:
    CMergedEditCtrl &m_text;
    TextPos m_from;
    MergedEditAccessible *m_accessible = nullptr;
    int m_offset = 0;
    QString m_removed;
};

// Tells assistive technology where the caret and the selection are now.
void NotifyMergedCaret(CMergedEditCtrl &text);

class MergedEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit MergedEditAccessible(CMergedEditCtrl *text);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface; at most one selection.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // Where a position of the text lies in the accessible text, and back.
    int OffsetOf(TextPos pos) const;
    TextPos PosOf(int offset) const;
    // The accessible text between two positions.
    QString TextBetween(TextPos from, TextPos to) const;

private:
    CMergedEditCtrl *Text() const;
    // Where each line starts, and the text's length last; measured again
    // after every change.
    const std::vector<int> &Starts() const;

    mutable std::uint64_t m_version = 0;
    mutable std::vector<int> m_starts;
};

} // namespace lindo
