#include "panehost.h"

#include <QScrollBar>
#include <QTest>

namespace lindo::test {

PaneHost::PaneHost(QSize leftSize, QSize rightSize, int gap)
    : m_left(new CDiffView(this))
    , m_right(new CDiffView(this))
{
    engine.colorIdentical = DiffEngine::defaultColorIdentical;
    engine.colorDifferent = DiffEngine::defaultColorDifferent;
    engine.colorInserted = DiffEngine::defaultColorInserted;
    m_left->setObjectName(QStringLiteral("diff1"));
    m_right->setObjectName(QStringLiteral("diff2"));
    m_left->setGeometry(QRect(QPoint(0, 0), leftSize));
    m_right->setGeometry(QRect(QPoint(leftSize.width() + gap, 0), rightSize));
    resize(leftSize.width() + gap + rightSize.width(), std::max(leftSize.height(), rightSize.height()));
    for (int side = 1; side <= 2; ++side) {
        Pane(side).SetScrollSizes(QSize(200, 200));
        Pane(side).Attach(side, engine);
    }
    show();
    (void)QTest::qWaitForWindowExposed(this);
}

CDiffView *PaneHost::GetView(int side)
{
    if (side == 1)
        return m_left;
    if (side == 2)
        return m_right;
    return nullptr;
}

void PaneHost::Compare(std::string_view text1, std::string_view text2)
{
    engine.LoadTexts(text1, text2);
    engine.Compare();
    for (int side = 1; side <= 2; ++side) {
        Pane(side).UpdateScrollSizes();
        Pane(side).viewport()->update();
    }
}

int PaneHost::CompareAndShowLast(std::string_view filler, int count, std::string_view last)
{
    std::vector<std::string> lines = Numbered(filler, 0, count - 1);
    lines.emplace_back(last);
    Compare(Lines(lines), Lines(lines));
    m_left->ScrollToPosition(QPoint(0, m_left->verticalScrollBar()->maximum()));
    return (count - 1) * m_left->LineHeight() - m_left->ScrollPosition().y();
}

std::string Lines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

std::vector<std::string> Numbered(std::string_view prefix, int from, int count)
{
    std::vector<std::string> lines;
    for (int i = from; i < from + count; ++i)
        lines.push_back(std::string(prefix) + std::to_string(i));
    return lines;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

QImage GrabViewport(CDiffView &view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace lindo::test
