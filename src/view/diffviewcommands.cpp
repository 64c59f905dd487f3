// The commands of a comparison pane: stepping through changes, the section
// context menu with Copy and Properties, and toggling a section's selection.

#include "view/diffview.h"

#include "engine/diffengine.h"
#include "uikit/prompt.h"
#include "view/diffviewaccessible.h"
#include "view/sectionpropertiesdialog.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace lindo {

void CDiffView::CreateSectionMenu()
{
    m_sectionMenu = new QMenu(QString::fromLatin1(kSectionMenuName), this);
    m_sectionMenu->setObjectName(QString::fromLatin1(kSectionMenuName));
    QAction *copy = m_sectionMenu->addAction(QString::fromLatin1(kCopySectionText));
    copy->setData(kCommandCopySection);
    copy->setStatusTip(QString::fromLatin1(kCopySectionTip));
    connect(copy, &QAction::triggered, this, &CDiffView::OnCopy);
    m_sectionMenu->addSeparator();
    QAction *properties = m_sectionMenu->addAction(QString::fromLatin1(kSectionPropertiesText));
    properties->setData(kCommandSectionProperties);
    properties->setStatusTip(QString::fromLatin1(kSectionPropertiesTip));
    connect(properties, &QAction::triggered, this, &CDiffView::OnProperties);
}

int CDiffView::MiddleLine() const
{
    return (m_scrollPos.y() + ClientHeight() / 2) / lineHeight;
}

int CDiffView::HitTest(int /*x*/, int y) const
{
    const qint64 documentY = qint64(y) + m_scrollPos.y();
    if (documentY > qint64(lineHeight) * LineCount())
        return -1;
    return SectionOfLine(static_cast<int>(documentY / lineHeight));
}

int CDiffView::NextChangeLine() const
{
    if (!engine)
        return -1;
    const auto &sections = engine->Sections(side);
    for (std::size_t k = static_cast<std::size_t>(SectionOfLine(MiddleLine()) + 1); k < sections.size(); ++k) {
        if (!sections[k].IsMatched())
            return sections[k].first;
    }
    return -1;
}

int CDiffView::PrevChangeLine() const
{
    if (!engine)
        return -1;
    const auto &sections = engine->Sections(side);
    for (int k = SectionOfLine(MiddleLine()) - 1; k >= 0; --k) {
        if (!sections[static_cast<std::size_t>(k)].IsMatched())
            return sections[static_cast<std::size_t>(k)].first;
    }
    return -1;
}

void CDiffView::GoNextChange()
{
    CDiffView *sibling = Sibling();
    const int own = NextChangeLine();
    const int other = sibling ? sibling->NextChangeLine() : -1;
    GoToChange(own, other, other < own);
}

void CDiffView::GoPrevChange()
{
    CDiffView *sibling = Sibling();
    const int own = PrevChangeLine();
    const int other = sibling ? sibling->PrevChangeLine() : -1;
    GoToChange(own, other, other > own);
}

// Shows whichever pane's change was found, the other pane's when both were
// and it wins; a tie stays with this view.
void CDiffView::GoToChange(int own, int other, bool otherWins)
{
    if (own < 0 && other < 0) {
        Ask(this, ApplicationTitle(), QString::fromLatin1(kNoMoreChangesText), PromptIcon::Exclamation,
            PromptButtons::Ok);
        return;
    }
    if (own < 0 || (other >= 0 && otherWins))
        Sibling()->ScrollToLine(other, true);
    else
        ScrollToLine(own, true);
}

void CDiffView::ScrollToLine(int line, bool alignOther)
{
    const qint64 top = qint64(line) * lineHeight - ClientHeight() / 2;
    ScrollToPosition(QPoint(m_scrollPos.x(), ClampToInt(top)));
    SetAccessibleCurrentLine(*this, line);
    if (alignOther)
        AlignOther();
}

void CDiffView::AlignOther()
{
    CDiffView *sibling = Sibling();
    if (!sibling || !engine)
        return;
    const int middle = MiddleLine();
    const int section = SectionOfLine(middle);
    if (section < 0)
        return;
    const int link = engine->Lines(side)[static_cast<std::size_t>(middle)].link;
    if (link >= 0) {
        sibling->ScrollToLine(link, false);
        return;
    }
    if (section == 0)
        return;
    // Unmatched sections never touch, so the one before is matched: show the
    // other file from the line after its partner.
    const int partner = engine->Sections(side)[static_cast<std::size_t>(section - 1)].partner;
    const auto &otherSections = engine->Sections(3 - side);
    if (partner < 0 || partner >= static_cast<int>(otherSections.size()))
        return;
    sibling->ScrollToLine(otherSections[static_cast<std::size_t>(partner)].last + 1, false);
}

void CDiffView::contextMenuEvent(QContextMenuEvent *event)
{
    OnContextMenu(event->globalPos());
    event->accept();
}

void CDiffView::OnContextMenu(QPoint globalPos)
{
    const QPoint client = viewport()->mapFromGlobal(globalPos);
    currentSection = HitTest(client.x(), client.y());
    if (currentSection < 0)
        return;
    m_sectionMenu->popup(globalPos);
}

const DiffSection *CDiffView::CurrentSectionRecord() const
{
    if (!engine || currentSection < 0)
        return nullptr;
    const auto &sections = engine->Sections(side);
    if (currentSection >= static_cast<int>(sections.size()))
        return nullptr;
    return &sections[static_cast<std::size_t>(currentSection)];
}

void CDiffView::OnCopy()
{
    const DiffSection *section = CurrentSectionRecord();
    if (!section)
        return;
    const std::string text = DiffEngine::SectionText(*section, true);
    QGuiApplication::clipboard()->setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

void CDiffView::OnProperties()
{
    if (!CurrentSectionRecord())
        return;
    CSectionPropertiesDialog dialog(engine, side, currentSection, window());
    dialog.exec();
}

void CDiffView::keyPressEvent(QKeyEvent *event)
{
    const int count = LineCount();
    if (!engine || count == 0 || lineHeight <= 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int caret = AccessibleCurrentLine(*this);
    const int topLine = m_scrollPos.y() / lineHeight;
    const int from = caret >= 0 ? caret : topLine;
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_End: {
        // To the first or the last line, the sibling along.
        const bool home = event->key() == Qt::Key_Home;
        const int target = home ? 0 : verticalScrollBar()->maximum();
        OnScrollBy(0, target - m_scrollPos.y());
        MoveCaretLine(home ? 0 : count - 1);
        event->accept();
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // The caret goes as far as the view went; where the view cannot
        // go on, on to the next line or page in view.
        const int key = event->key();
        const int step = key == Qt::Key_Up || key == Qt::Key_Down ? 1 : std::max(1, ClientHeight() / lineHeight);
        QAbstractScrollArea::keyPressEvent(event);
        const int moved = m_scrollPos.y() / lineHeight - topLine;
        MoveCaretLine(from + (moved != 0 ? moved : key == Qt::Key_Up || key == Qt::Key_PageUp ? -step : step));
        return;
    }
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CDiffView::mousePressEvent(QMouseEvent *event)
{
    const qint64 line = lineHeight > 0 ? (qint64(event->position().y()) + m_scrollPos.y()) / lineHeight : -1;
    if (line >= 0 && line < LineCount())
        MoveCaretLine(static_cast<int>(line));
    QAbstractScrollArea::mousePressEvent(event);
}

void CDiffView::MoveCaretLine(int line)
{
    const int top = (m_scrollPos.y() + lineHeight - 1) / lineHeight;
    const int bottom = (m_scrollPos.y() + ClientHeight()) / lineHeight - 1;
    line = std::clamp(line, top, std::max(top, bottom));
    SetAccessibleCurrentLine(*this, std::clamp(line, 0, LineCount() - 1));
}

void CDiffView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        OnDoubleClick(event->position().toPoint());
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CDiffView::OnDoubleClick(QPoint viewportPos)
{
    currentSection = HitTest(viewportPos.x(), viewportPos.y());
    if (currentSection < 0)
        return;
    DiffSection &section = engine->Sections(side)[static_cast<std::size_t>(currentSection)];
    section.flags ^= Selected;
    const int top = section.first * lineHeight - m_scrollPos.y();
    const int bottom = (section.last + 1) * lineHeight - m_scrollPos.y() + 2;
    viewport()->update(QRect(kSelectionBarLeft, top, kSelectionBarWidth, bottom - top));
}

TextMatch CDiffView::FindText(const QString &text, bool matchCase, int line, std::size_t byte, bool forward) const
{
    if (!engine)
        return {};
    // The panes show their bytes as local 8-bit text; the needle goes the same way.
    const QByteArray needle = text.toLocal8Bit();
    const DiffLines &lines = engine->Lines(side);
    return FindInLines(
        static_cast<int>(lines.size()), [&](int at) { return lines[static_cast<std::size_t>(at)].text; },
        std::string_view(needle.constData(), static_cast<std::size_t>(needle.size())), matchCase, line, byte, forward);
}

void CDiffView::MarkMatch(const TextMatch &match)
{
    m_match = match;
    viewport()->update();
}

void CDiffView::ClearMatch()
{
    if (!m_match.Found())
        return;
    m_match = TextMatch();
    viewport()->update();
}

} // namespace lindo
