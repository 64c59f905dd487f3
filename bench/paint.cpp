// How long a comparison pane takes to paint and to scroll, over a small and
// a 1,000,000-line comparison; the times must not grow with the file.
//
//   paint [lines ...]        (default: 100 1000000)
//   paint long               panes over very long lines
//   paint gutter             main window repaints over 1,000,000 lines
//   paint tint               panes tinting the changes within lines
//
// Runs on any platform plugin; QT_QPA_PLATFORM=offscreen is set when none is
// chosen. For each size it prints the time of one full-pane paint with the
// pane at the top, the middle and the end of the file, and the time of one
// page-down step (both panes scrolled and painted) over 10,000 lines.
//
// "long" compares 200 lines of 50,000 characters and one of 5,000,000
// (tabs and two-byte characters among them) with a copy edited in a few
// places, and times a full-pane paint at the top, the middle, on the long
// line, and on it scrolled to the middle and to the far right of the
// document; also what the scroll sizes of a new comparison cost the pane
// and its first paint after them, far right on the long line. "gutter"
// compares two files of 1,000,000 lines, every other one
// changed, in the main window, and times the repaint of one toolbar button
// (what hovering it costs) and of the whole window. Both print each time
// against the 5 ms a paint may take.
//
// "tint" paints panes with the changes within lines tinted and without,
// over 1,000,000 lines of which every third is edited within, and over a
// line of 5,000,000 characters edited near both ends and every 97 bytes over
// its middle tenth, painted at its left, middle and far right: a repeated paint, and
// the first paint of a place whose changes are not yet found. Each time is
// printed against the 5 ms target and against the same paint without tint.

#include "panepair.h"

#include "app/comparedialog.h"
#include "uikit/pathcombobox.h"

#include <QTemporaryDir>
#include <QToolBar>
#include <fstream>

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
constexpr double kTargetMs = 5.0;

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

// Shows the pair and compares the texts in it; returns the comparison's time
// in milliseconds, both panes' scroll sizes included.
double ShowAndCompare(PanePair &pair, const std::string &first, const std::string &second)
{
    pair.ShowAndWait();
    QElapsedTimer clock;
    clock.start();
    pair.Compare(first, second);
    const double ms = clock.nsecsElapsed() / 1e6;
    QApplication::processEvents();
    return ms;
}

void Measure(int count)
{
    std::string first, second;
    MakeTexts(count, first, second);
    PanePair pair(QSize(600, 900));
    const double compareMs = ShowAndCompare(pair, first, second);

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

void PrintAgainstTarget(const char *what, double ms)
{
    std::printf("  %-44s %8.3f ms  (%.2f x the %.0f ms target)\n", what, ms, ms / kTargetMs, kTargetMs);
}

// A line of `length` bytes: words, a tab every so often and now and then a
// two-byte character, numbered by `seed` so that lines differ.
std::string LongLine(std::size_t length, int seed)
{
    std::string line;
    line.reserve(length + 16);
    for (int word = 0; line.size() < length; ++word) {
        line += "word" + std::to_string(seed) + "_" + std::to_string(word);
        line += word % 7 == 3 ? "\t" : word % 11 == 5 ? "\xc3\xa9 " : " ";
    }
    line.resize(length);
    // Never end inside a two-byte character.
    while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0xC0)
        line.pop_back();
    return line;
}

void MeasureLongLines()
{
    constexpr int kLongIndex = 100;
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back(LongLine(50000, i));
    lines.insert(lines.begin() + kLongIndex, LongLine(5000000, 999));
    std::string first, second;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        first += lines[i] + "\n";
        std::string edited = lines[i];
        if (i % 40 == 7 || i == kLongIndex)
            edited[edited.size() / 2] = '#';
        second += edited + "\n";
    }
    PanePair pair(QSize(600, 900));
    const double compareMs = ShowAndCompare(pair, first, second);
    CDiffView &left = pair.Pane(1);
    QScrollBar *vertical = left.verticalScrollBar();
    QScrollBar *horizontal = left.horizontalScrollBar();
    std::printf("201 lines, one of 5,000,000 bytes (%.1f MB a side, comparison with both panes' scroll sizes %.0f ms, "
                "pane %d x %d, document %d px wide)\n",
                first.size() / 1e6, compareMs, left.viewport()->width(), left.viewport()->height(),
                left.TotalSize().width());
    const int onLong = kLongIndex * left.LineHeight() - left.viewport()->height() / 2;
    // What a new comparison costs the pane, and its first paint after it
    // (far right on the long line): medians of a few rounds.
    std::vector<double> sizesMs, firstMs;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer clock;
        clock.start();
        left.UpdateScrollSizes();
        sizesMs.push_back(clock.nsecsElapsed() / 1e6);
        left.ScrollToPosition(QPoint(horizontal->maximum(), onLong));
        clock.restart();
        left.viewport()->repaint();
        firstMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(sizesMs.begin(), sizesMs.end());
    std::sort(firstMs.begin(), firstMs.end());
    std::printf("  %-44s %8.3f ms  (once per comparison, not a paint)\n", "scroll sizes of one pane", sizesMs[3]);
    PrintAgainstTarget("first paint after them, far right", firstMs[3]);
    const struct {
        const char *name;
        int x;
        int y;
    } places[] = {{"full-pane paint at the top", 0, 0},
                  {"full-pane paint in the middle", 0, vertical->maximum() / 2},
                  {"full-pane paint on the long line", 0, onLong},
                  {"... scrolled to the middle of the document", horizontal->maximum() / 2, onLong},
                  {"... scrolled to the far right", horizontal->maximum(), onLong}};
    for (const auto &place : places) {
        left.ScrollToPosition(QPoint(place.x, place.y));
        QApplication::processEvents();
        PrintAgainstTarget(place.name, MillisecondsPerPaint(left));
    }
}

void MeasureGutters()
{
    constexpr int kLines = 1000000;
    QTemporaryDir folder;
    const std::string path1 = folder.filePath(QStringLiteral("first.txt")).toStdString();
    const std::string path2 = folder.filePath(QStringLiteral("second.txt")).toStdString();
    {
        std::ofstream out1(path1, std::ios::binary);
        std::ofstream out2(path2, std::ios::binary);
        for (int i = 0; i < kLines; ++i) {
            out1 << "line " << i << "\n";
            out2 << (i % 2 ? "changed " : "line ") << i << "\n";
        }
    }
    lindo::CCompareDialog window;
    window.resize(900, 700);
    window.show();
    QApplication::processEvents();
    window.FirstPathBox()->SetText(QString::fromStdString(path1));
    window.SecondPathBox()->SetText(QString::fromStdString(path2));
    window.OnCompare();
    QApplication::processEvents();
    std::printf("%d lines a side, every other one changed (window %d x %d)\n", kLines, window.width(),
                window.height());
    QWidget *button = window.ToolBar()->widgetForAction(window.ToolBar()->actions().value(0));
    const QRect buttonRect = button ? QRect(button->mapTo(&window, QPoint()), button->size()) : QRect(0, 0, 24, 24);
    const auto perRepaint = [&](const QRect &area) {
        window.repaint(area);
        QElapsedTimer clock;
        clock.start();
        constexpr int kRepeats = 20;
        for (int n = 0; n < kRepeats; ++n)
            window.repaint(area);
        return clock.nsecsElapsed() / 1e6 / kRepeats;
    };
    PrintAgainstTarget("main window repaint of one toolbar button", perRepaint(buttonRect));
    PrintAgainstTarget("main window repaint, whole window", perRepaint(window.rect()));
}

// One place to paint the left pane at.
struct Place {
    const char *name;
    int x;
    int y;
};

// The median time of one paint at `place` after a new comparison's scroll
// sizes, which drop the changes within lines found so far from both panes.
double MillisecondsPerFirstPaint(PanePair &pair, const Place &place)
{
    CDiffView &left = pair.Pane(1);
    std::vector<double> times;
    for (int round = 0; round < 7; ++round) {
        pair.Pane(1).UpdateScrollSizes();
        pair.Pane(2).UpdateScrollSizes();
        left.ScrollToPosition(QPoint(place.x, place.y));
        QElapsedTimer clock;
        clock.start();
        left.viewport()->repaint();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void PrintTintAgainst(const char *what, double ms, double offMs)
{
    std::printf("  %-44s %8.3f ms  (%.2f x the %.0f ms target, %.2f x without tint)\n", what, ms, ms / kTargetMs,
                kTargetMs, ms / offMs);
}

// The pixels the tint changes in the pane as it stands: proof that the
// tinted figures paint a tint at all.
int TintedPixels(PanePair &pair)
{
    CDiffView &pane = pair.Pane(1);
    const auto grab = [&](int option) {
        pair.engine.showLineChanges = option;
        return pane.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const int option = pair.engine.showLineChanges;
    const QImage plain = grab(0);
    const QImage tinted = grab(1);
    pair.engine.showLineChanges = option;
    int count = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x)
            count += plain.pixel(x, y) != tinted.pixel(x, y);
    }
    return count;
}

// A repeated paint (the mean of many back to back) and a first paint after
// the changes are dropped (the median of single paints), each without tint
// and tinted.
void MeasureTintAt(PanePair &pair, const std::vector<Place> &places)
{
    CDiffView &left = pair.Pane(1);
    for (const Place &place : places) {
        const std::string name = place.name;
        pair.engine.showLineChanges = 0;
        left.ScrollToPosition(QPoint(place.x, place.y));
        QApplication::processEvents();
        const double offMs = MillisecondsPerPaint(left);
        const double offFirstMs = MillisecondsPerFirstPaint(pair, place);
        std::printf("  %-44s %8.3f ms  (%.2f x the %.0f ms target)\n", (name + ", no tint").c_str(), offMs,
                    offMs / kTargetMs, kTargetMs);
        std::printf("  %-44s %8.3f ms  (%.2f x the %.0f ms target)\n", (name + ", no tint, first paint").c_str(),
                    offFirstMs, offFirstMs / kTargetMs, kTargetMs);
        pair.engine.showLineChanges = 1;
        PrintTintAgainst((name + ", tinted").c_str(), MillisecondsPerPaint(left), offMs);
        PrintTintAgainst((name + ", tinted, first paint").c_str(), MillisecondsPerFirstPaint(pair, place),
                         offFirstMs);
        std::printf("  %-44s %8d\n", (name + ", pixels the tint changes").c_str(), TintedPixels(pair));
    }
}

void MeasureTint()
{
    {
        constexpr int kLines = 1000000;
        std::string first, second;
        for (int i = 0; i < kLines; ++i) {
            const std::string number = std::to_string(i);
            first += "\tstatement_" + number + "(argument, other);\t/* note " + number + " */\n";
            second += i % 3 == 1 ? "\tstatement_" + number + "(argument, changed);\t/* note " + number + "! */\n"
                                 : "\tstatement_" + number + "(argument, other);\t/* note " + number + " */\n";
        }
        PanePair pair(QSize(600, 900));
        ShowAndCompare(pair, first, second);
        const int bottom = pair.Pane(1).verticalScrollBar()->maximum();
        std::printf("%d lines a side, every third one edited within (pane %d x %d)\n", kLines,
                    pair.Pane(1).viewport()->width(), pair.Pane(1).viewport()->height());
        MeasureTintAt(pair, {{"top", 0, 0}, {"middle", 0, bottom / 2}, {"end", 0, bottom}});
    }
    {
        std::vector<std::string> lines;
        for (int i = 0; i < 20; ++i)
            lines.push_back(LongLine(200, i));
        constexpr int kLongIndex = 10;
        lines[kLongIndex] = LongLine(5000000, 999);
        std::string first, second;
        int edits = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            first += lines[i] + "\n";
            std::string edited = lines[i];
            if (i == kLongIndex) {
                // Near both ends, and every 97 bytes over the middle tenth,
                // so each place painted shows some.
                edited[40] = '#';
                edited[edited.size() - 40] = '#';
                edits = 2;
                for (std::size_t at = edited.size() * 45 / 100; at < edited.size() * 55 / 100; at += 97, ++edits)
                    edited[at] = '#';
            }
            second += edited + "\n";
        }
        PanePair pair(QSize(600, 900));
        ShowAndCompare(pair, first, second);
        CDiffView &left = pair.Pane(1);
        const int right = left.horizontalScrollBar()->maximum();
        std::printf("one line of 5,000,000 bytes among 20, edited in %d places (pane %d x %d)\n", edits,
                    left.viewport()->width(), left.viewport()->height());
        MeasureTintAt(pair, {{"long line, left", 0, 0},
                             {"long line, middle", right / 2, 0},
                             {"long line, far right", right, 0}});
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 2 && std::string(argv[1]) == "long") {
        MeasureLongLines();
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "tint") {
        MeasureTint();
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "gutter") {
        setenv("LINDO_SETTINGS_FILE", "/dev/null/lindo-bench.ini", 1);
        MeasureGutters();
        return 0;
    }
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {100, 1000000};
    for (int count : sizes)
        Measure(count);
    return 0;
}
