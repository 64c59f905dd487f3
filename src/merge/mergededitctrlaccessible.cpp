#include "merge/mergededitctrlaccessible.h"

#include "merge/mergededitctrl.h"
#include "uikit/textcells.h"

#include <QAccessible>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace lindo {

namespace {

QAccessibleInterface *MergedEditFactory(const QString &, QObject *object)
{
    if (auto *text = qobject_cast<CMergedEditCtrl *>(object))
        return new MergedEditAccessible(text);
    return nullptr;
}

} // namespace

void InstallMergedEditAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(MergedEditFactory);
}

MergedTextChange::MergedTextChange(CMergedEditCtrl &text, TextPos from, TextPos to)
    : m_text(text), m_from(from)
{
    // Without a listening client the events go nowhere; skip reading the text for them.
    if (!QAccessible::isActive())
        return;
    m_accessible = dynamic_cast<MergedEditAccessible *>(QAccessible::queryAccessibleInterface(&text));
    if (!m_accessible)
        return;
    m_offset = m_accessible->OffsetOf(from);
    m_removed = m_accessible->TextBetween(from, to);
}

void MergedTextChange::Done(TextPos to)
{
    if (!m_accessible)
        return;
    QString inserted = m_accessible->TextBetween(m_from, to);
    // Only what differs is told: the same text on either side of it is not.
    qsizetype same = 0;
    while (same < m_removed.size() && same < inserted.size() && m_removed[same] == inserted[same])
        ++same;
    qsizetype sameEnd = 0;
    while (sameEnd < m_removed.size() - same && sameEnd < inserted.size() - same
           && m_removed[m_removed.size() - 1 - sameEnd] == inserted[inserted.size() - 1 - sameEnd])
        ++sameEnd;
    const int offset = m_offset + static_cast<int>(same);
    const QString removed = m_removed.mid(same, m_removed.size() - same - sameEnd);
    inserted = inserted.mid(same, inserted.size() - same - sameEnd);
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(&m_text, offset, removed);
        QAccessible::updateAccessibility(&event);
    }
    if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(&m_text, offset, inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void NotifyMergedCaret(CMergedEditCtrl &text)
{
    if (!QAccessible::isActive())
        return;
    auto *accessible = dynamic_cast<MergedEditAccessible *>(QAccessible::queryAccessibleInterface(&text));
    if (!accessible)
        return;
    QAccessibleTextCursorEvent moved(&text, accessible->cursorPosition());
    QAccessible::updateAccessibility(&moved);
    int start = 0;
    int end = 0;
    accessible->selection(0, &start, &end);
    QAccessibleTextSelectionEvent selected(&text, start, end);
    QAccessible::updateAccessibility(&selected);
}

MergedEditAccessible::MergedEditAccessible(CMergedEditCtrl *text)
    : QAccessibleWidget(text, QAccessible::EditableText)
{
}

CMergedEditCtrl *MergedEditAccessible::Text() const
{
    return static_cast<CMergedEditCtrl *>(widget());
}

void *MergedEditAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString MergedEditAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return {}; // read through the text interface, not all at once
    return QAccessibleWidget::text(t);
}

QAccessible::State MergedEditAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.focusable = true;
    s.selectableText = true;
    return s;
}

const std::vector<int> &MergedEditAccessible::Starts() const
{
    CMergedEditCtrl *text = Text();
    if (m_starts.empty() || m_version != text->m_textVersion) {
        // The starts of the lines up to the first changed one still hold.
        const int kept = m_starts.empty() ? 0 : std::clamp(text->m_changedFrom, 0, int(m_starts.size()) - 1);
        m_starts.resize(static_cast<std::size_t>(kept) + 1);
        m_version = text->m_textVersion;
        text->m_changedFrom = INT_MAX;
        const int count = text->LineCount();
        m_starts.reserve(static_cast<std::size_t>(count) + 1);
        qint64 offset = m_starts.back();
        for (int line = kept; line < count; ++line) {
            // Every line but the last ends in '\n'.
            offset += ReadableText(text->LineBytes(line)).size() + (line + 1 < count ? 1 : 0);
            m_starts.push_back(static_cast<int>(std::min<qint64>(offset, INT_MAX)));
        }
    }
    return m_starts;
}

int MergedEditAccessible::OffsetOf(TextPos pos) const
{
    const std::vector<int> &starts = Starts();
    const int line = std::clamp(pos.line, 0, static_cast<int>(starts.size()) - 2);
    const std::string &bytes = Text()->LineBytes(line);
    const std::size_t column = std::min(pos.column, bytes.size());
    return starts[static_cast<std::size_t>(line)] +
           static_cast<int>(ReadableText(std::string_view(bytes).substr(0, column)).size());
}

TextPos MergedEditAccessible::PosOf(int offset) const
{
    const std::vector<int> &starts = Starts();
    const auto after = std::upper_bound(starts.begin(), starts.end() - 1, offset);
    const int line = std::max(0, static_cast<int>(after - starts.begin()) - 1);
    const std::string &bytes = Text()->LineBytes(line);
    // On by whole characters (as the caret goes) while they end at or
    // before the offset.
    int at = starts[static_cast<std::size_t>(line)];
    std::size_t column = 0;
    while (column < bytes.size()) {
        const std::size_t next = column + ClusterAt(bytes, column).length;
        at += static_cast<int>(ReadableText(std::string_view(bytes).substr(column, next - column)).size());
        if (at > offset)
            break;
        column = next;
    }
    return {line, column};
}

QString MergedEditAccessible::TextBetween(TextPos from, TextPos to) const
{
    QString result;
    for (int line = from.line; line <= to.line && line < Text()->LineCount(); ++line) {
        const std::string_view bytes = Text()->LineBytes(line);
        const std::size_t begin = line == from.line ? std::min(from.column, bytes.size()) : 0;
        const std::size_t end = line == to.line ? std::min(to.column, bytes.size()) : bytes.size();
        result += ReadableText(bytes.substr(begin, end - std::min(begin, end)));
        if (line < to.line)
            result += QLatin1Char('\n');
    }
    return result;
}

int MergedEditAccessible::characterCount() const
{
    return Starts().back();
}

int MergedEditAccessible::selectionCount() const
{
    return Text()->SelectionFrom() == Text()->SelectionTo() ? 0 : 1;
}

void MergedEditAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = OffsetOf(Text()->SelectionFrom());
    *endOffset = OffsetOf(Text()->SelectionTo());
}

void MergedEditAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void MergedEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        setCursorPosition(cursorPosition());
}

void MergedEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    Text()->m_anchor = PosOf(startOffset);
    Text()->MoveCaret(PosOf(endOffset), true);
}

int MergedEditAccessible::cursorPosition() const
{
    return OffsetOf({Text()->CaretLine(), Text()->CaretColumn()});
}

void MergedEditAccessible::setCursorPosition(int position)
{
    const TextPos pos = PosOf(position);
    Text()->SetCaret(pos.line, pos.column);
}

QString MergedEditAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    if (endOffset < 0 || endOffset > count)
        endOffset = count;
    startOffset = std::clamp(startOffset, 0, endOffset);
    // Whole lines from the character the start falls in, cut to the offsets.
    const TextPos from = PosOf(startOffset);
    const TextPos to{PosOf(endOffset).line, std::string::npos};
    return TextBetween(from, to).mid(startOffset - OffsetOf(from), endOffset - startOffset);
}

QRect MergedEditAccessible::characterRect(int offset) const
{
    const TextPos pos = PosOf(offset);
    const QRect cell = Text()->CellRect(pos.line, pos.column);
    return QRect(Text()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

int MergedEditAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = Text()->viewport()->mapFromGlobal(point);
    if (!Text()->viewport()->rect().contains(local))
        return -1;
    return OffsetOf(Text()->PosAt(local));
}

void MergedEditAccessible::scrollToSubstring(int startIndex, int)
{
    setCursorPosition(startIndex);
}

QString MergedEditAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}

} // namespace lindo
