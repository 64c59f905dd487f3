// How long a comparison pane takes to paint and to scroll, over a small and
// a 1,000,000-line comparison; the times must not grow with the file.
//
//   paint [lines ...]        (default: 100 1000000)
//
// Runs on any platform plugin; QT_QPA_PLATFORM=offscreen is set when none is
// chosen. For each size it prints the time of one full-pane paint with the
// pane at the top, the middle and the end of the file, and the time of one
// page-down step (both panes scrolled and painted) over 10,000 lines.

#include "panepair.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using lindo::CDiffView;
using lindo::bench::PanePair;

constexpr int kPaintRepeats = 200;
constexpr int kScrollLines = 10000;

// Two texts of `count` lines each that differ every so often: changed
// lines, lines only in one file, and tab-indented code-like text, so the
// panes draw all three colours, many sections and tab stops.
void MakeTexts(int count, std::string &first, std::string &second)
{
    first.clear();
    second.clear();
    for (int i = 0; i < count; ++i) {
        const std::string line = "\tstatement_" + std::to_string(i) + "(argument, other);\t/* note */\n";
        first += line;
        if (i % 37 == 5)
            second += "\tchanged_" + std::to_string(i) + "(argument);\n";
        else if (i % 53 == 7)
            second += line + "\tinserted_" + std::to_string(i) + "();\n";
        else
            second += line;
    }
}

double MillisecondsPerPaint(CDiffView &pane)
{
    pane.viewport()->repaint(); // warm caches
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < kPaintRepeats; ++n)
        pane.viewport()->repaint();
    return clock.nsecsElapsed() / 1e6 / kPaintRepeats;
}

void Measure(int count)
{
    std::string first, second;
    MakeTexts(count, first, second);
    PanePair pair(QSize(600, 900));
    pair.ShowAndWait();
    QElapsedTimer compareClock;
    compareClock.start();
    pair.Compare(first, second);
    const double compareMs = compareClock.nsecsElapsed() / 1e6;
    QApplication::processEvents();

    CDiffView &left = pair.Pane(1);
    QScrollBar *bar = left.verticalScrollBar();
    std::printf("%d lines (comparison %.0f ms, %zu + %zu sections, pane %d x %d, %d lines visible)\n", count,
                compareMs, pair.engine.Sections(1).size(), pair.engine.Sections(2).size(),
                left.viewport()->width(), left.viewport()->height(),
                left.viewport()->height() / std::max(1, left.LineHeight()));
    const struct {
        const char *name;
        int position;
    } places[] = {{"top", 0}, {"middle", bar->maximum() / 2}, {"end", bar->maximum()}};
    for (const auto &place : places) {
        bar->setValue(place.position);
        QApplication::processEvents();
        std::printf("  full-pane paint at %-6s %7.3f ms\n", place.name, MillisecondsPerPaint(left));
    }

    // Page by page through 10,000 lines from a quarter into the file (a file
    // too short for that starts over at its top when it reaches its end):
    // each step scrolls both panes as the user does and paints them.
    bar->setValue(bar->maximum() / 4);
    QApplication::processEvents();
    const int pageLines = std::max(1, bar->pageStep() / std::max(1, left.LineHeight()));
    const int steps = std::max(1, kScrollLines / pageLines);
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < steps; ++n) {
        bar->triggerAction(bar->value() == bar->maximum() ? QAbstractSlider::SliderToMinimum
                                                          : QAbstractSlider::SliderPageStepAdd);
        left.viewport()->repaint();
        pair.Pane(2).viewport()->repaint();
    }
    std::printf("  page down (both panes) %7.3f ms per step, %d steps of %d lines\n",
                clock.nsecsElapsed() / 1e6 / steps, steps, pageLines);
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {100, 1000000};
    for (int count : sizes)
        Measure(count);
    return 0;
}
