#pragma once

// What assistive technology sees of a comparison pane: a read-only,
// multi-line text object with one line of text per line of the file, each
// reading "<number> <state>: <text>", and a caret on the line the user last
// moved to (change navigation, keys, a click), so a screen reader announces
// where each change is. Offsets count UTF-16 units, as QString does.

#include <QAccessibleWidget>
#include <QString>

#include <vector>

namespace lindo {

class CDiffView;

// The state words a line is read with.
inline constexpr char kLineStateSame[] = "same in both";
inline constexpr char kLineStateOnlyFirst[] = "only in the first file";
inline constexpr char kLineStateOnlySecond[] = "only in the second file";
inline constexpr char kLineStateChanged[] = "changed";
// What a compared pane's description says of its text.
inline constexpr char kPaneSummary[] = "%1 lines, %2 changes";
// Accessible names of the panes when their window gives them none.
inline constexpr char kFirstPaneName[] = "First file";
inline constexpr char kSecondPaneName[] = "Second file";

// Registers the panes' accessible interface with Qt; the first pane created
// does it, later calls do nothing.
void InstallDiffViewAccessibility();

// Moves the pane's accessible caret to the start of `line` and tells
// assistive technology (caret moved; focus too when the pane has it).
void SetAccessibleCurrentLine(CDiffView &view, int line);

// The pane's accessible caret line, -1 before the first move.
int AccessibleCurrentLine(const CDiffView &view);

// After a new comparison: the caret goes back to the start, and assistive
// technology hears of the new text through the pane's description, which
// sums it up.
void AnnounceComparison(CDiffView &view);

// The state words of a line of the pane; empty for a line it does not have.
QString LineStateText(const CDiffView &view, int line);

class DiffViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DiffViewAccessible(CDiffView *view);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface; the pane has no selection.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // The accessible text of one line, its line end included.
    QString LineText(int line) const;
    // Where the line starts in the whole text (the text's length for the line count).
    int LineStart(int line) const;
    // The line holding an offset, clamped to the lines there are; -1 for none.
    int LineAt(int offset) const;

private:
    CDiffView *View() const;
    // The compared text summed up: its lines and changes.
    QString Summary() const;
    int LineCount() const;
    // The line starts are measured once per comparison.
    const std::vector<int> &Starts() const;

    struct Key {
        const void *lines = nullptr;
        const void *sections = nullptr;
        std::size_t lineCount = 0;
        std::size_t sectionCount = 0;
        bool operator==(const Key &) const = default;
    };
    Key CurrentKey() const;
    mutable Key m_key;
    mutable std::vector<int> m_starts;
};

} // namespace lindo
