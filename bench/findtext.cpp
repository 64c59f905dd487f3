// How long the find bar's search takes over a 1,000,000-line pane when the
// text occurs only on the last line: with the pane at its top, every line is
// searched before the match.
//
//   findtext [lines]        (default: 1000000)
//
// Prints the median of several searches, ignoring case and matching case,
// against the 100 ms a search may take, and beside them a peer that turns
// every line into a QString and asks it (what the search avoids doing).

#include "panepair.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kTargetMs = 100.0;
constexpr int kRepeats = 9;

template <typename Search>
double MedianMs(Search search)
{
    std::vector<double> times;
    for (int run = 0; run < kRepeats; ++run) {
        QElapsedTimer clock;
        clock.start();
        search();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000000;

    // Ordinary source-like lines, letters and all, so the scan meets many
    // near misses; the needle is on the last line only.
    std::string text;
    for (int line = 0; line + 1 < count; ++line)
        text += "    value_" + std::to_string(line) + " = compute(needs, neat, next) + " + std::to_string(line * 7)
                + ";\n";
    text += "    return NeedleInTheHaystack;\n";

    lindo::bench::PanePair panes(QSize(400, 600));
    panes.Compare(text, text);
    panes.ShowAndWait();
    lindo::CDiffView &pane = panes.Pane(1);
    const int start = pane.MiddleLine(); // near the top: the whole pane lies ahead

    int found = -1;
    const double folded = MedianMs([&] {
        found = pane.FindText(QStringLiteral("needleinthehaystack"), false, start, 0, true).line;
    });
    if (found != count - 1) {
        std::fprintf(stderr, "ignoring case: found line %d, not %d\n", found, count - 1);
        return 1;
    }
    const double exact = MedianMs([&] {
        found = pane.FindText(QStringLiteral("NeedleInTheHaystack"), true, start, 0, true).line;
    });
    if (found != count - 1) {
        std::fprintf(stderr, "matching case: found line %d, not %d\n", found, count - 1);
        return 1;
    }
    const lindo::DiffLines &lines = panes.engine.Lines(1);
    const QString needle = QStringLiteral("needleinthehaystack");
    const double peer = MedianMs([&] {
        found = -1;
        for (std::size_t line = 0; line < lines.size() && found < 0; ++line) {
            const std::string_view bytes = lines[(static_cast<std::size_t>(start) + line) % lines.size()].text;
            if (QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size())).contains(needle, Qt::CaseInsensitive))
                found = int((static_cast<std::size_t>(start) + line) % lines.size());
        }
    });

    std::printf("find in %d lines, text on the last line only, from line %d (median of %d)\n", count, start,
                kRepeats);
    std::printf("  ignoring case   %8.2f ms   ratio to %g ms: %.3f\n", folded, kTargetMs, folded / kTargetMs);
    std::printf("  matching case   %8.2f ms   ratio to %g ms: %.3f\n", exact, kTargetMs, exact / kTargetMs);
    std::printf("  peer: QString per line, ignoring case %8.2f ms   search/peer: %.3f\n", peer, folded / peer);
    return 0;
}
