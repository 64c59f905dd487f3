#include "view/diffviewaccessible.h"

#include "engine/diffengine.h"
#include "uikit/textcells.h"
#include "view/diffview.h"

#include <QAccessible>
#include <QScrollBar>

#include <algorithm>

namespace lindo {

namespace {

// Kept on the pane itself, so it lives and dies with it whether or not any
// accessibility client ever asked for the pane's interface.
constexpr char kCaretLineProperty[] = "lindoAccessibleCaretLine";

QAccessibleInterface *DiffViewFactory(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<CDiffView *>(object))
        return new DiffViewAccessible(view);
    return nullptr;
}

} // namespace

void InstallDiffViewAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(DiffViewFactory);
}

int AccessibleCurrentLine(const CDiffView &view)
{
    const QVariant line = view.property(kCaretLineProperty);
    return line.isValid() ? line.toInt() : -1;
}

void SetAccessibleCurrentLine(CDiffView &view, int line)
{
    view.setProperty(kCaretLineProperty, line);
    // Without a listening client the event goes nowhere; skip measuring the
    // text for it, which takes a pass over a whole file.
    if (!QAccessible::isActive())
        return;
    auto *iface = dynamic_cast<DiffViewAccessible *>(QAccessible::queryAccessibleInterface(&view));
    const int offset = iface ? iface->LineStart(std::max(0, line)) : 0;
    QAccessibleTextCursorEvent moved(&view, offset);
    QAccessible::updateAccessibility(&moved);
    if (view.hasFocus()) {
        QAccessibleEvent focus(&view, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void AnnounceComparison(CDiffView &view)
{
    view.setProperty(kCaretLineProperty, QVariant());
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent summary(&view, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&summary);
    QAccessibleTextCursorEvent moved(&view, 0);
    QAccessible::updateAccessibility(&moved);
}

QString LineStateText(const CDiffView &view, int line)
{
    const DiffEngine *engine = view.Engine();
    if (!engine || !engine->IsCompared() || line < 0)
        return {};
    const DiffLines &lines = engine->Lines(view.Side());
    if (line >= static_cast<int>(lines.size()))
        return {};
    // The same distinction the pane draws in its three colours.
    if (lines[static_cast<std::size_t>(line)].link >= 0)
        return QString::fromLatin1(kLineStateSame);
    const int section = view.SectionOfLine(line);
    const auto &sections = engine->Sections(view.Side());
    if (section >= 0 && sections[static_cast<std::size_t>(section)].partner >= 0)
        return QString::fromLatin1(kLineStateChanged);
    return QString::fromLatin1(view.Side() == 1 ? kLineStateOnlyFirst : kLineStateOnlySecond);
}

DiffViewAccessible::DiffViewAccessible(CDiffView *view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{
}

CDiffView *DiffViewAccessible::View() const
{
    return static_cast<CDiffView *>(widget());
}

void *DiffViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString DiffViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && View()->accessibleName().isEmpty())
        return QString::fromLatin1(View()->Side() == 2 ? kSecondPaneName : kFirstPaneName);
    if (t == QAccessible::Value)
        return {}; // the text is read through the text interface, not all at once
    if (t == QAccessible::Description && View()->accessibleDescription().isEmpty() && LineCount() > 0)
        return Summary();
    return QAccessibleWidget::text(t);
}

QAccessible::State DiffViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.focusable = true;
    return s;
}

QString DiffViewAccessible::Summary() const
{
    const DiffEngine &engine = *View()->Engine();
    const DiffLines &lines = engine.Lines(View()->Side());
    const auto &sections = engine.Sections(View()->Side());
    const auto changes = std::count_if(sections.begin(), sections.end(),
                                       [](const DiffSection &section) { return !section.IsMatched(); });
    return QString::fromLatin1(kPaneSummary).arg(lines.size()).arg(changes);
}

int DiffViewAccessible::LineCount() const
{
    const DiffEngine *engine = View()->Engine();
    if (!engine || !engine->IsCompared())
        return 0;
    return static_cast<int>(engine->Lines(View()->Side()).size());
}

DiffViewAccessible::Key DiffViewAccessible::CurrentKey() const
{
    const DiffEngine *engine = View()->Engine();
    if (!engine || !engine->IsCompared())
        return {};
    const DiffLines &lines = engine->Lines(View()->Side());
    const auto &sections = engine->Sections(View()->Side());
    return {lines.empty() ? nullptr : lines.front().text.data(), sections.data(), lines.size(), sections.size()};
}

const std::vector<int> &DiffViewAccessible::Starts() const
{
    const Key key = CurrentKey();
    if (m_starts.empty() || !(key == m_key)) {
        m_key = key;
        const int count = LineCount();
        m_starts.assign(1, 0);
        m_starts.reserve(static_cast<std::size_t>(count) + 1);
        qint64 offset = 0;
        for (int line = 0; line < count; ++line) {
            offset += LineText(line).size();
            m_starts.push_back(static_cast<int>(std::min<qint64>(offset, INT_MAX)));
        }
    }
    return m_starts;
}

QString DiffViewAccessible::LineText(int line) const
{
    if (line < 0 || line >= LineCount())
        return {};
    const std::string_view bytes = View()->Engine()->Lines(View()->Side())[static_cast<std::size_t>(line)].text;
    return QStringLiteral("%1 %2: %3\n").arg(line).arg(LineStateText(*View(), line), ReadableText(bytes));
}

int DiffViewAccessible::LineStart(int line) const
{
    const std::vector<int> &starts = Starts();
    return starts[static_cast<std::size_t>(std::clamp<int>(line, 0, static_cast<int>(starts.size()) - 1))];
}

int DiffViewAccessible::LineAt(int offset) const
{
    const std::vector<int> &starts = Starts();
    if (starts.size() < 2)
        return -1;
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    const int line = static_cast<int>(after - starts.begin()) - 1;
    return std::clamp(line, 0, static_cast<int>(starts.size()) - 2);
}

int DiffViewAccessible::characterCount() const
{
    return Starts().back();
}

void DiffViewAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

int DiffViewAccessible::cursorPosition() const
{
    const int line = AccessibleCurrentLine(*View());
    return line < 0 ? 0 : LineStart(line);
}

void DiffViewAccessible::setCursorPosition(int position)
{
    const int line = LineAt(position);
    if (line >= 0)
        SetAccessibleCurrentLine(*View(), line);
}

QString DiffViewAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    if (endOffset < 0 || endOffset > count)
        endOffset = count;
    startOffset = std::clamp(startOffset, 0, endOffset);
    QString result;
    for (int line = LineAt(startOffset); line >= 0 && LineStart(line) < endOffset; ++line) {
        const int start = LineStart(line);
        const QString whole = LineText(line);
        const int from = std::max(0, startOffset - start);
        result += whole.mid(from, std::min<qsizetype>(whole.size(), endOffset - start) - from);
        if (line + 1 >= LineCount())
            break;
    }
    return result;
}

QString DiffViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                         int *endOffset) const
{
    if (boundaryType != QAccessible::LineBoundary && boundaryType != QAccessible::ParagraphBoundary)
        return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
    const int line = LineAt(offset);
    if (line < 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = LineStart(line);
    *endOffset = LineStart(line + 1);
    return LineText(line);
}

QString DiffViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    if (boundaryType != QAccessible::LineBoundary && boundaryType != QAccessible::ParagraphBoundary)
        return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset, endOffset);
    const int line = LineAt(offset);
    if (line <= 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return textAtOffset(LineStart(line - 1), boundaryType, startOffset, endOffset);
}

QString DiffViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    if (boundaryType != QAccessible::LineBoundary && boundaryType != QAccessible::ParagraphBoundary)
        return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset, endOffset);
    const int line = LineAt(offset);
    if (line < 0 || line + 1 >= LineCount()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return textAtOffset(LineStart(line + 1), boundaryType, startOffset, endOffset);
}

QRect DiffViewAccessible::characterRect(int offset) const
{
    // The band of the line the offset lies in, as wide as one character at
    // the left edge of the text: enough for a magnifier to follow.
    const int line = LineAt(offset);
    if (line < 0)
        return {};
    const CDiffView *view = View();
    const QPoint scroll = view->ScrollPosition();
    const QRect band(kTextLeft - scroll.x(), line * view->LineHeight() - scroll.y(), std::max(1, view->CharWidth()),
                     view->LineHeight());
    return QRect(view->viewport()->mapToGlobal(band.topLeft()), band.size());
}

int DiffViewAccessible::offsetAtPoint(const QPoint &point) const
{
    const CDiffView *view = View();
    const QPoint local = view->viewport()->mapFromGlobal(point);
    if (view->LineHeight() <= 0 || !view->viewport()->rect().contains(local))
        return -1;
    const qint64 y = qint64(local.y()) + view->ScrollPosition().y();
    const qint64 line = y / view->LineHeight();
    if (line >= LineCount())
        return -1;
    return LineStart(static_cast<int>(line));
}

void DiffViewAccessible::scrollToSubstring(int startIndex, int)
{
    const int line = LineAt(startIndex);
    if (line >= 0)
        View()->ScrollToLine(line, true);
}

QString DiffViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    const int line = LineAt(offset);
    if (line < 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = LineStart(line);
    *endOffset = LineStart(line + 1);
    return QStringLiteral("line-state:%1;").arg(LineStateText(*View(), line));
}

} // namespace lindo
