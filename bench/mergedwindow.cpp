// Times the Merged window on a large comparison: opening it until it is on
// screen, taking in the rest of its text, typing at the end and in the
// middle, and saving.
//
//   mergedwindow [lines]     (default 1000000; offscreen unless QT_QPA_PLATFORM is set)

#include "engine/diffengine.h"
#include "merge/mergeddialog.h"
#include "merge/mergedwindowowner.h"
#include "uikit/controlid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using lindo::CMergedDialog;
using lindo::CMergedEditCtrl;

class BenchOwner final : public lindo::MergedWindowOwner {
public:
    lindo::DiffEngine &Engine() override { return engine; }
    QString DefaultMergeTarget() override { return target; }
    QStringList ComparedFiles() override { return {}; }
    void CloseMergedWindow() override { window.reset(); }

    lindo::DiffEngine engine;
    QString target;
    std::unique_ptr<CMergedDialog> window;
};

// Two files of `lines` lines: every 50th line differs and every 200th exists
// only in the first, so the merge output is a little longer than either.
void BuildComparison(lindo::DiffEngine &engine, int lines)
{
    std::string first;
    std::string second;
    for (int line = 0; line < lines; ++line) {
        const std::string text = "line " + std::to_string(line) + " of the benchmark text, some words follow\n";
        first += text;
        if (line % 200 == 7)
            continue;
        second += line % 50 == 3 ? "changed " + text : text;
    }
    engine.LoadTexts(first, second);
    engine.Compare();
}

double Milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Typing {
    double average = 0;
    double slowest = 0;
};

// Types `keys` letters one by one, each handled and painted before the next.
Typing TypeAt(CMergedEditCtrl &text, int keys)
{
    Typing result;
    for (int key = 0; key < keys; ++key) {
        QElapsedTimer timer;
        timer.start();
        const QChar letter(u'a' + key % 26);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + key % 26, Qt::NoModifier, letter);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + key % 26, Qt::NoModifier, letter);
        QApplication::sendEvent(&text, &press);
        QApplication::sendEvent(&text, &release);
        QApplication::processEvents();
        text.viewport()->repaint();
        const double taken = Milliseconds(timer);
        result.average += taken / keys;
        result.slowest = std::max(result.slowest, taken);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LINDO_SETTINGS_FILE", "/nonexistent-lindo-bench/settings.ini", 1);
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;

    BenchOwner owner;
    owner.target = QString::fromStdString((std::filesystem::temp_directory_path() / "lindo-bench-merged.txt").string());
    QElapsedTimer timer;
    timer.start();
    BuildComparison(owner.engine, lines);
    std::printf("comparison of %d lines: %.0f ms\n", lines, Milliseconds(timer));

    timer.restart();
    owner.window = std::make_unique<CMergedDialog>(owner);
    const double created = Milliseconds(timer);
    owner.window->show();
    QApplication::processEvents();
    const double shown = Milliseconds(timer);
    auto &text = *lindo::FindControl<CMergedEditCtrl>(owner.window.get(), lindo::merged::kIdText);
    std::printf("open: constructed %.0f ms, shown and painted %.0f ms (%d lines in at that point)\n", created,
                shown, text.document()->blockCount());

    // The rest of the text arrives while the event loop runs; the longest
    // turn of the loop bounds how long a key press may wait meanwhile.
    double slowestTurn = 0;
    while (text.IsStreamingIn()) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents();
        slowestTurn = std::max(slowestTurn, Milliseconds(turn));
    }
    std::printf("whole text in: %.0f ms after opening, %d lines; slowest event loop turn %.1f ms\n",
                Milliseconds(timer), text.document()->blockCount(), slowestTurn);

    constexpr int kKeys = 200;
    text.moveCursor(QTextCursor::End);
    const Typing atEnd = TypeAt(text, kKeys);
    text.setTextCursor(QTextCursor(text.document()->findBlockByNumber(text.document()->blockCount() / 2)));
    text.centerCursor();
    QApplication::processEvents();
    const Typing inMiddle = TypeAt(text, kKeys);
    std::printf("typing %d keys at the end: %.2f ms per key (slowest %.2f ms)\n", kKeys, atEnd.average,
                atEnd.slowest);
    std::printf("typing %d keys in the middle: %.2f ms per key (slowest %.2f ms)\n", kKeys, inMiddle.average,
                inMiddle.slowest);

    timer.restart();
    const bool saved = owner.window->SaveMergedText(owner.target);
    const std::filesystem::path written = owner.target.toStdString();
    std::printf("save: %.0f ms (%s, %llu bytes)\n", Milliseconds(timer), saved ? "written" : "failed",
                saved ? static_cast<unsigned long long>(std::filesystem::file_size(written)) : 0ULL);
    std::filesystem::remove(written);

    timer.restart();
    owner.CloseMergedWindow();
    std::printf("close: %.0f ms\n", Milliseconds(timer));
    return 0;
}
