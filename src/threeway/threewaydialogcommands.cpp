#include "threeway/threewaydialog.h"

#include "engine/diffengine.h"
#include "engine/linechanges.h"
#include "settingsstore/enginesettings.h"
#include "settingsstore/settingsstore.h"
#include "threeway/threewayids.h"
#include "threeway/threewaypane.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace lindo {

using namespace threeway;

namespace {

constexpr int kResultView = 3;
constexpr int kContextLines = 3;

QColor KindColour(Merge3Kind kind)
{
    switch (kind) {
    case Merge3Kind::FirstOnly:
        return kFirstOnlyColour;
    case Merge3Kind::SecondOnly:
        return kSecondOnlyColour;
    case Merge3Kind::BothAlike:
        return kBothAlikeColour;
    case Merge3Kind::Conflict:
        return kOpenConflictColour;
    case Merge3Kind::Unchanged:
        break;
    }
    return {};
}

// Byte spans of a line as character ranges of its text.
std::vector<std::pair<int, int>> CharacterSpans(std::string_view line, const std::vector<ByteSpan> &spans)
{
    std::vector<std::pair<int, int>> characters;
    const auto count = [line](std::size_t bytes) {
        return static_cast<int>(QString::fromUtf8(line.data(), static_cast<qsizetype>(bytes)).size());
    };
    for (const ByteSpan &span : spans)
        characters.emplace_back(count(span.begin), count(span.end));
    return characters;
}

} // namespace

// --- The panes ---------------------------------------------------------------

void CThreeWayDialog::FillPanes()
{
    // The stored option and blank-space switches, as the two-file panes read them.
    DiffEngine settings;
    LoadEngineSettings(settings, SettingsStore());
    for (int file = 0; file < 3; ++file)
        FillPane(file, settings);
}

void CThreeWayDialog::FillPane(int file, const DiffEngine &settings)
{
    const auto f = static_cast<std::size_t>(file);
    std::vector<CThreeWayPane::Line> lines(static_cast<std::size_t>(m_text.LineCount(file)));
    std::vector<int> gaps;
    for (int stretch = 0; stretch < m_text.StretchCount(); ++stretch) {
        const Merge3Stretch &s = m_text.Stretch(stretch);
        if (s.count[f] == 0 && s.kind != Merge3Kind::Unchanged)
            gaps.push_back(s.first[f]);
        for (int n = 0; n < s.count[f]; ++n) {
            const int line = s.first[f] + n;
            const std::string_view bytes = m_text.ShownLine(file, line);
            CThreeWayPane::Line &shown = lines[static_cast<std::size_t>(line)];
            shown.text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
            shown.stretch = stretch;
            // A changed side's line against the base's line in the same place.
            if (settings.showLineChanges && file != kMerge3Base && s.kind != Merge3Kind::Unchanged
                && n < s.count[kMerge3Base])
                shown.tints = CharacterSpans(
                    bytes, FindLineChanges(bytes, m_text.ShownLine(kMerge3Base, s.first[kMerge3Base] + n),
                                           settings.keyOptions).first);
        }
    }
    m_panes[f]->m_stretchColour = [this](int stretch) { return StretchColour(stretch); };
    m_panes[f]->SetLines(std::move(lines));
    m_panes[f]->SetGaps(std::move(gaps));
}

// --- Choices -----------------------------------------------------------------

int CThreeWayDialog::CurrentStretch() const
{
    return m_map.StretchAt(m_result.CaretLine());
}

bool CThreeWayDialog::IsOpenConflict(int stretch) const
{
    if (m_text.Stretch(stretch).kind != Merge3Kind::Conflict)
        return false;
    const int end = std::min(m_map.End(stretch), m_result.LineCount());
    for (int line = m_map.Start(stretch); line < end; ++line)
        if (ThreeWayText::OpensConflict(m_result.LineBytes(line)))
            return true;
    return false;
}

int CThreeWayDialog::ConflictsLeft() const
{
    int left = 0;
    for (int stretch = 0; stretch < m_text.StretchCount(); ++stretch)
        left += IsOpenConflict(stretch) ? 1 : 0;
    return left;
}

QColor CThreeWayDialog::StretchColour(int stretch) const
{
    const Merge3Kind kind = m_text.Stretch(stretch).kind;
    if (kind == Merge3Kind::Conflict && !IsOpenConflict(stretch))
        return kResolvedConflictColour;
    return KindColour(kind);
}

void CThreeWayDialog::TakeForCurrent(Take take)
{
    const int stretch = CurrentStretch();
    if (stretch >= 0)
        ReplaceStretch(stretch, take);
}

void CThreeWayDialog::ReplaceStretch(int stretch, Take take)
{
    const int start = m_map.Start(stretch);
    const int end = m_map.End(stretch);
    // Nothing after it: the result's last line keeps its file's ending.
    const bool last = end >= m_map.End(m_map.StretchCount() - 1);
    int lineCount = 0;
    const std::string bytes = m_text.StretchBytes(stretch, take, last, lineCount);
    const int lastLine = m_result.LineCount() - 1;
    const TextPos textEnd{lastLine, m_result.LineBytes(lastLine).size()};
    m_replacing = stretch;
    m_replacingLineCount = lineCount;
    m_result.ReplaceRange(TextPos{start, 0}, last || end > lastLine ? textEnd : TextPos{end, 0}, bytes);
    m_replacing = -1;
    UpdateStatus();
}

void CThreeWayDialog::OnLinesChanged(const LinesChange &change)
{
    const std::size_t step = change.editsDone;
    if (change.step == LinesChange::Step::Edit) {
        m_choiceAt.resize(step + 1);
        m_choiceAt[step] = m_replacing;
    }
    if (m_replacing >= 0) {
        m_map.Replaced(m_replacing, m_replacingLineCount);
        m_map.Remember(step);
        return; // the choice updates the status once the caret is in place
    }
    if (change.step == LinesChange::Step::Edit || !m_map.Recall(step)) {
        m_map.Edited(change.line, change.oldLast, change.newLast);
        m_map.Remember(step);
    }
    // A choice taken back or made again leaves the caret on its stretch, so
    // the next choice is for the same one.
    const std::size_t undone = change.step == LinesChange::Step::Undo ? step + 1 : step;
    if (change.step != LinesChange::Step::Edit && undone < m_choiceAt.size() && m_choiceAt[undone] >= 0)
        m_result.SetCaret(m_map.Start(m_choiceAt[undone]), 0);
    UpdateStatus();
}

void CThreeWayDialog::GoToConflict(bool forward)
{
    GoToConflictAfter(CurrentStretch(), forward);
}

void CThreeWayDialog::GoToConflictAfter(int current, bool forward)
{
    const int count = m_text.StretchCount();
    for (int stretch = forward ? current + 1 : current - 1; stretch >= 0 && stretch < count;
         stretch += forward ? 1 : -1) {
        if (IsOpenConflict(stretch)) {
            m_result.SetCaret(m_map.Start(stretch), 0);
            // A few lines above it stay in view, for what leads up to it.
            m_result.verticalScrollBar()->setValue(std::max(0, m_map.Start(stretch) - kContextLines));
            UpdateStatus();
            return;
        }
    }
}

void CThreeWayDialog::UpdateStatus()
{
    const int total = TotalConflicts();
    const int left = ConflictsLeft();
    m_status->setText(total == 0 ? kNoConflicts
                      : total == 1 ? kOneConflictLeftFormat.arg(left)
                                   : kConflictsLeftFormat.arg(left).arg(total));
    const int current = CurrentStretch();
    for (int file = 0; file < 3; ++file) {
        const auto f = static_cast<std::size_t>(file);
        if (current < 0)
            m_panes[f]->SetCurrent(0, -1);
        else
            m_panes[f]->SetCurrent(m_text.Stretch(current).first[f], m_text.Stretch(current).count[f]);
    }
    m_result.viewport()->update();
}

// --- Scrolling together --------------------------------------------------------

int CThreeWayDialog::ViewFirstLine(int view, int stretch) const
{
    return view == kResultView ? m_map.Start(stretch) : m_text.Stretch(stretch).first[static_cast<std::size_t>(view)];
}

int CThreeWayDialog::ViewLineCount(int view, int stretch) const
{
    return view == kResultView ? m_map.End(stretch) - m_map.Start(stretch)
                               : m_text.Stretch(stretch).count[static_cast<std::size_t>(view)];
}

int CThreeWayDialog::StretchAtViewLine(int view, int line) const
{
    if (view == kResultView)
        return m_map.StretchAt(line);
    // The last stretch starting at or before the line that has lines here.
    const auto f = static_cast<std::size_t>(view);
    int found = m_text.StretchCount() > 0 ? 0 : -1;
    for (int stretch = 0; stretch < m_text.StretchCount() && m_text.Stretch(stretch).first[f] <= line; ++stretch)
        if (m_text.Stretch(stretch).count[f] > 0 || m_text.Stretch(stretch).first[f] == line)
            found = stretch;
    return found;
}

void CThreeWayDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The panes could not follow the result before they had their size.
    QTimer::singleShot(0, this, [this] { OnScrolled(kResultView, m_result.verticalScrollBar()->value()); });
}

void CThreeWayDialog::OnScrolled(int view, int top)
{
    if (m_syncing)
        return;
    const int stretch = StretchAtViewLine(view, top);
    if (stretch < 0)
        return;
    m_syncing = true;
    const int offset = top - ViewFirstLine(view, stretch);
    for (int other = 0; other < 4; ++other) {
        if (other == view)
            continue;
        QAbstractScrollArea *area = other == kResultView
                                        ? static_cast<QAbstractScrollArea *>(&m_result)
                                        : m_panes[static_cast<std::size_t>(other)];
        const int lines = ViewLineCount(other, stretch);
        area->verticalScrollBar()->setValue(ViewFirstLine(other, stretch) + std::clamp(offset, 0, std::max(0, lines - 1)));
    }
    m_syncing = false;
}

// --- The result's colours -------------------------------------------------------

bool CThreeWayDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_result.viewport() && event->type() == QEvent::Paint) {
        // Under the text, which the text area paints next.
        PaintResultColours();
    } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress) {
        // The caret may move to another stretch.
        QTimer::singleShot(0, this, &CThreeWayDialog::UpdateStatus);
    }
    return QDialog::eventFilter(watched, event);
}

void CThreeWayDialog::PaintResultColours()
{
    QPainter painter(m_result.viewport());
    const int top = m_result.verticalScrollBar()->value();
    const int height = m_result.CellRect(top, 0).height();
    const int width = m_result.viewport()->width();
    const int last = std::min(m_result.LineCount() - 1, top + m_result.viewport()->height() / std::max(1, height) + 1);
    const int current = CurrentStretch();
    for (int line = top; line <= last; ++line) {
        const int stretch = m_map.StretchAt(line);
        if (stretch < 0 || line >= m_map.End(stretch))
            continue;
        const QColor colour = StretchColour(stretch);
        if (colour.isValid())
            painter.fillRect(0, (line - top) * height, width, height, colour);
    }
    if (current >= 0 && m_map.End(current) > m_map.Start(current)) {
        painter.setPen(QPen(palette().text().color(), 1, Qt::DotLine));
        painter.drawRect(0, (m_map.Start(current) - top) * height, width - 1,
                         (m_map.End(current) - m_map.Start(current)) * height - 1);
    }
}

} // namespace lindo
