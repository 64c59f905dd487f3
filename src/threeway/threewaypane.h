#pragma once

// One of the three read-only panes of the Three-way Merge window: a file's
// lines in the text area's font, each on its stretch's colour, the changes
// within a line tinted darker. The vertical scroll bar counts lines.

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace lindo {

class CThreeWayPane : public QAbstractScrollArea {
    Q_OBJECT

public:
    struct Line {
        QString text;
        int stretch = -1; // whose colour the line is on
        // Characters [first, second) that changed within the line.
        std::vector<std::pair<int, int>> tints;
    };

    explicit CThreeWayPane(QWidget *parent = nullptr);

    // A stretch's colour, asked afresh at every paint; invalid: the pane's own.
    std::function<QColor(int stretch)> m_stretchColour;

    void SetLines(std::vector<Line> lines);
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    const Line &LineAt(int line) const { return m_lines[static_cast<std::size_t>(line)]; }
    // Where a stretch that has no lines here sits: a rule above each of
    // these lines (the line count: below the last line).
    void SetGaps(std::vector<int> lines);
    // The current stretch's lines, framed.
    void SetCurrent(int first, int count);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void UpdateScrollBars();
    int VisibleLines() const;
    qreal TextX(const QString &text, int characters) const;

    std::vector<Line> m_lines;
    std::vector<int> m_gaps;
    int m_currentFirst = 0;
    int m_currentCount = -1; // none
    int m_lineHeight = 1;
    int m_widest = 0;
};

} // namespace lindo
