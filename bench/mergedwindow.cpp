// Times the Merged window on a large comparison: opening it until it is on
// screen, taking in the rest of its text, typing at the end and in the
// middle, and saving.
//
//   mergedwindow [lines]     (default 1000000; offscreen unless QT_QPA_PLATFORM is set)
//   mergedwindow --long-lines [keys]
//       200 lines of 50,000 characters and one of 5,000,000 in their middle,
//       with bytes that are not text among them: time until shown, the
//       slowest of `keys` keys (default 3) typed at the start, in the middle
//       of the long line and at the end, the processor time used while the
//       window sits idle for 2 s with the caret in the long line, and whether
//       the saved file holds exactly the expected bytes.

#include "engine/diffengine.h"
#include "merge/mergeddialog.h"
#include "merge/mergedwindowhost.h"
#include "uikit/controlid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QKeyEvent>

#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using lindo::CMergedDialog;
using lindo::CMergedEditCtrl;

class BenchOwner final : public lindo::MergedWindowHost {
public:
    lindo::DiffEngine &Engine() override { return engine; }
    std::string MergeTargetFor(const std::string & /*firstFile*/) override { return target.toLocal8Bit().toStdString(); }
    std::vector<std::string> ComparedFiles() override { return {}; }
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

// The text area's lines and caret, through whichever interface it offers.
template <class Edit> int LineCount(Edit &text)
{
    if constexpr (requires { text.document(); })
        return text.document()->blockCount();
    else
        return text.LineCount();
}

template <class Edit> void PlaceCaret(Edit &text, int line, int column)
{
    if constexpr (requires { text.document(); }) {
        QTextCursor cursor(text.document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        text.setTextCursor(cursor);
        text.centerCursor();
    } else {
        text.SetCaret(line, column);
    }
}

void PressKey(QWidget &widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
}

double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string ReadWhole(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The reported case: 200 lines of 50,000 characters with one line of
// 5,000,000 in their middle; a few bytes that are not text sit early in the
// text and late in the long line, where no key is typed before them.
int LongLines(int keys)
{
    constexpr int kLongLine = 100;
    constexpr std::size_t kLongLength = 5000000;
    // UTF-8 with a BOM and CR LF line ends: the bytes that are not text stay
    // in the text as they are, and the merge ends its lines in CR LF.
    const std::string bom = "\xEF\xBB\xBF";
    std::string file = bom;
    for (int line = 0; line <= 200; ++line) {
        const std::size_t length = line == kLongLine ? kLongLength : 50000;
        std::string text;
        text.reserve(length + 16);
        while (text.size() < length)
            text += "word" + std::to_string((text.size() * 7 + static_cast<std::size_t>(line)) % 1000) + ' ';
        text.resize(length);
        if (line == 3)
            text.replace(10, 8, std::string("\0\t\xFF\r\xC3\xBC\x01|", 8));
        if (line == kLongLine)
            text.replace(kLongLength - 100, 6, std::string("\0\xFE\r\xE2\x82\xAC", 6));
        file += text + "\r\n";
    }

    BenchOwner owner;
    owner.target = QString::fromStdString((std::filesystem::temp_directory_path() / "lindo-bench-merged.txt").string());
    owner.engine.LoadTexts(file, file);
    owner.engine.Compare();
    owner.engine.BuildMergeList();
    std::ostringstream merged(std::ios::out | std::ios::binary);
    owner.engine.WriteMergeText(merged);
    std::string expected = std::move(merged).str();
    const std::size_t longLineStart = [&] {
        std::size_t at = 0;
        for (int line = 0; line < kLongLine; ++line)
            at = expected.find("\r\n", at) + 2;
        return at;
    }();

    QElapsedTimer timer;
    timer.start();
    owner.window = std::make_unique<CMergedDialog>(owner);
    owner.window->show();
    QApplication::processEvents();
    const double shown = Milliseconds(timer);
    auto &text = *lindo::FindControl<CMergedEditCtrl>(owner.window.get(), lindo::merged::kIdText);
    double slowestTurn = 0;
    while (text.IsStreamingIn()) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents();
        slowestTurn = std::max(slowestTurn, Milliseconds(turn));
    }
    const double whole = Milliseconds(timer);
    std::printf("long lines: %zu bytes; shown and painted %.0f ms; whole text in %.0f ms (%d lines), slowest "
                "event loop turn %.1f ms\n",
                expected.size(), shown, whole, LineCount(text), slowestTurn);
    std::fflush(stdout);

    // Keys at the start, in the middle of the long line and at the end; the
    // expected bytes take the same letters at the same places, back to front.
    const auto slowestKey = [&](const char *where) {
        const Typing typing = TypeAt(text, keys);
        std::printf("  %d keys %s: slowest %.1f ms\n", keys, where, typing.slowest);
        std::fflush(stdout);
        return typing.slowest;
    };
    std::string letters;
    for (int key = 0; key < keys; ++key)
        letters += static_cast<char>('a' + key % 26);
    PressKey(text, Qt::Key_Home, Qt::ControlModifier);
    QApplication::processEvents();
    double worst = slowestKey("at the start");
    PlaceCaret(text, kLongLine, static_cast<int>(kLongLength / 2));
    QApplication::processEvents();
    worst = std::max(worst, slowestKey("in the middle of the long line"));

    owner.window->activateWindow();
    text.setFocus();
    QApplication::processEvents();
    const double before = ProcessorSeconds();
    QEventLoop idle;
    QTimer::singleShot(2000, &idle, &QEventLoop::quit);
    idle.exec();
    const double idleUse = ProcessorSeconds() - before;

    PressKey(text, Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    worst = std::max(worst, slowestKey("at the end"));
    expected += letters;
    expected.insert(longLineStart + kLongLength / 2, letters);
    expected.insert(bom.size(), letters);

    timer.restart();
    const bool saved = owner.window->SaveMergedText(owner.target);
    const double saving = Milliseconds(timer);
    const std::filesystem::path written = owner.target.toStdString();
    const bool exact = saved && ReadWhole(written) == expected;
    std::filesystem::remove(written);
    std::printf("long lines: worst key %.1f ms; idle 2 s with the caret in the long line used %.0f ms of "
                "processor time; save %.0f ms, %s\n",
                worst, idleUse * 1000, saving, exact ? "bytes exact" : "BYTES DIFFER");
    owner.CloseMergedWindow();
    return exact ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LINDO_SETTINGS_FILE", "/nonexistent-lindo-bench/settings.ini", 1);
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--long-lines") == 0)
        return LongLines(argc > 2 ? std::atoi(argv[2]) : 3);
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
                shown, LineCount(text));

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
                Milliseconds(timer), LineCount(text), slowestTurn);

    constexpr int kKeys = 200;
    PressKey(text, Qt::Key_End, Qt::ControlModifier);
    const Typing atEnd = TypeAt(text, kKeys);
    PlaceCaret(text, LineCount(text) / 2, 0);
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
