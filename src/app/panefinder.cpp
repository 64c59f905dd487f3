#include "app/panefinder.h"

#include "engine/diffengine.h"
#include "uikit/findbar.h"
#include "uikit/prompt.h"
#include "view/diffview.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>

#include <algorithm>

namespace lindo {

CPaneFinder::CPaneFinder(QWidget *window, CDiffView *left, CDiffView *right)
    : QObject(window)
    , m_window(window)
    , m_panes{left, right}
{
    m_bar = new CFindBar(window);
    connect(m_bar, &CFindBar::Find, this, &CPaneFinder::OnFind);
    connect(m_bar, &CFindBar::Opened, this, &CPaneFinder::LayoutChanged);
    connect(m_bar, &CFindBar::Closed, this, [this] {
        ClearMarks();
        emit LayoutChanged();
    });
    for (CDiffView *pane : m_panes) {
        pane->installEventFilter(this);
        pane->viewport()->installEventFilter(this);
    }
    const auto addKey = [this](const QKeySequence &key, void (CPaneFinder::*handler)()) {
        auto *action = new QAction(m_window);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_window->addAction(action);
    };
    addKey(QKeySequence(Qt::CTRL | Qt::Key_F), &CPaneFinder::OpenBar);
    addKey(QKeySequence(Qt::CTRL | Qt::Key_G), &CPaneFinder::GoToLine);
}

bool CPaneFinder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int side = 1; side <= 2; ++side) {
            CDiffView *pane = m_panes[side - 1];
            if ((watched == pane || watched == pane->viewport()) && side != m_lastSide) {
                m_lastSide = side;
                ClearMarks(); // a search in the other pane starts afresh
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

CDiffView *CPaneFinder::SearchPane() const
{
    return m_panes[m_lastSide - 1];
}

int CPaneFinder::BarHeight() const
{
    return m_bar->isHidden() ? 0 : m_bar->sizeHint().height();
}

void CPaneFinder::OpenBar()
{
    ClearMarks();
    m_bar->Open();
    if (!m_bar->Text().isEmpty())
        OnFind(true, false);
}

void CPaneFinder::ClearMarks()
{
    for (CDiffView *pane : m_panes)
        pane->ClearMatch();
    m_startLine = -1;
    m_startByte = 0;
}

void CPaneFinder::OnFind(bool forward, bool again)
{
    CDiffView *pane = SearchPane();
    const QString text = m_bar->Text();
    if (text.isEmpty()) {
        pane->ClearMatch();
        m_bar->SetNotice(QString());
        return;
    }
    if (m_startLine < 0) {
        m_startLine = pane->MiddleLine();
        m_startByte = 0;
    }
    int line = m_startLine;
    std::size_t byte = m_startByte;
    const TextMatch &current = pane->MarkedMatch();
    if (again && current.Found()) {
        line = current.line;
        byte = forward ? current.byte + 1 : current.byte;
    }
    const TextMatch match = pane->FindText(text, m_bar->MatchCase(), line, byte, forward);
    m_bar->ShowResult(match, forward);
    if (!match.Found()) {
        pane->ClearMatch();
        return;
    }
    if (again) {
        m_startLine = match.line;
        m_startByte = match.byte;
    }
    pane->MarkMatch(match);
    pane->ScrollToLine(match.line, true);
    pane->ScrollMatchIntoView();
}

void CPaneFinder::GoToLine()
{
    CDiffView *pane = SearchPane();
    DiffEngine *engine = pane->Engine();
    if (!engine || !engine->IsCompared())
        return;
    const int count = static_cast<int>(engine->Lines(pane->Side()).size());
    if (count <= 0)
        return;
    const std::optional<int> line =
        AskNumber(m_window, panefinder::kGoToLineCaption, panefinder::kGoToLineText.arg(count - 1),
                  std::clamp(pane->MiddleLine(), 0, count - 1), 0, count - 1);
    if (line)
        pane->ScrollToLine(std::clamp(*line, 0, count - 1), true);
}

} // namespace lindo
