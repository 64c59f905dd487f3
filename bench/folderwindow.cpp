// The Folder Comparison window outside the main program, for looking at it
// and timing it.
//
//   folderwindow shots <output folder>   a small tree of every state, compared
//                                        with identical files shown; one PNG
//                                        per scene
//   folderwindow abort <folder1> <folder2> <ms>  a run of Go whose Abort is
//                                        clicked <ms> after the press; prints
//                                        how long the run took to stop
//   folderwindow time <folder1> <folder2>  one run of Go over the two folders;
//                                        prints the rows and the seconds. The
//                                        show-same setting is read from the
//                                        settings file, as the main window does
//
// Run it under a real X server (xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
// Settings go to a temporary file unless LINDO_SETTINGS_FILE is set.

#include "engine/diffengine.h"
#include "folderwindow/foldercomparedialog.h"
#include "folderwindow/foldercomparedialogids.h"
#include "folderwindow/folderlistctrl.h"
#include "folderwindow/folderpathcombobox.h"
#include "folderwindow/folderwindowhost.h"
#include "settingsstore/freshsetting.h"
#include "settingsstore/settingsnames.h"
#include "uikit/controlid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class StandaloneOwner final : public lindo::FolderWindowHost {
public:
    // A negative `showSame` reads the setting afresh at every identical pair, as the main window does.
    explicit StandaloneOwner(int showSame) : m_showSame(showSame) {}
    lindo::DiffEngine &Engine() override { return m_engine; }
    void CompareFiles(const std::string &, const std::string &) override {}
    bool CloseFolderDialog() override { return true; }
    int ReadFoldersShowSame() override { return m_showSame < 0 ? m_stored.Read() : m_showSame; }
    QWidget *Window() override { return &m_window; }

private:
    lindo::DiffEngine m_engine;
    QWidget m_window;
    int m_showSame;
    lindo::FreshSettingNumber m_stored{QString::fromLatin1(lindo::settings::kFoldersShowSame),
                                       lindo::settings::kDefaultFoldersShowSame};
};

void Put(const QString &path, const char *bytes, long seconds)
{
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0);
}

// Both trees under `root`: one file of every state, some in subfolders.
void BuildSmallTrees(const QString &root)
{
    const long t = 1600000000;
    const auto both = [&](const char *name, const char *one, long t1, const char *two, long t2) {
        Put(root + "/one/" + name, one, t1);
        Put(root + "/two/" + name, two, t2);
    };
    both("readme.txt", "same", t, "same", t);
    both("src/main.cpp", "int main() {}", t, "int main() {}", t + 60);
    both("src/util.cpp", "new", t + 60, "old", t);
    both("src/util.h", "old", t, "new", t + 60);
    both("docs/guide.txt", "one", t, "two", t);
    Put(root + "/one/docs/draft.txt", "only here", t);
    Put(root + "/two/docs/notes.txt", "only there", t);
    Put(root + "/two/res/icon.png", "png", t);
    // A link back up on one side, a real folder on the other.
    QFile::link(QStringLiteral(".."), root + "/one/src/up");
    Put(root + "/two/src/up/deep.txt", "deep", t);
}

bool Save(QWidget &window, const QString &folder, const char *name)
{
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

int Shots(const QString &out)
{
    QTemporaryDir trees;
    BuildSmallTrees(trees.path());
    QDir().mkpath(out);
    StandaloneOwner owner(1);
    lindo::CFolderCompareDialog window(owner);
    window.show();
    bool saved = Save(window, out, "folders-empty");
    window.StartComparison(trees.path() + "/one", trees.path() + "/two");
    saved &= Save(window, out, "folders-results");
    window.Results()->topLevelItem(2)->setSelected(true);
    window.resize(window.width() + 200, window.height() - 80);
    saved &= Save(window, out, "folders-wide");
    return saved ? 0 : 1;
}

// User plus system time of this process so far: on a busy machine a steadier
// figure than the wall time.
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Time(const QString &folder1, const QString &folder2)
{
    StandaloneOwner owner(-1);
    lindo::CFolderCompareDialog window(owner);
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    const double cpuBefore = CpuSeconds();
    timer.start();
    window.StartComparison(folder1, folder2);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("rows %d seconds %.3f cpu %.3f status \"%s\"\n", window.Results()->GetItemCount(), seconds,
                CpuSeconds() - cpuBefore, qPrintable(window.StatusText()));
    return 0;
}

// The click arrives as an event, the way a user's does: it waits for the
// run's next handling of events. The answer time runs from the moment the
// click was due to the end of the run.
int Abort(const QString &folder1, const QString &folder2, int afterMs)
{
    StandaloneOwner owner(-1);
    lindo::CFolderCompareDialog window(owner);
    window.show();
    QApplication::processEvents();
    QElapsedTimer sincePress;
    bool clicked = false;
    QTimer::singleShot(afterMs, &window, [&] {
        clicked = true;
        lindo::FindControl<QPushButton>(&window, lindo::folderwindow::kIdGo)->click();
    });
    sincePress.start();
    window.StartComparison(folder1, folder2);
    if (!clicked) {
        std::fprintf(stderr, "the run ended before the click\n");
        return 1;
    }
    std::printf("rows %d abort answered in %.1f ms, caption \"%s\"\n", window.Results()->GetItemCount(),
                sincePress.nsecsElapsed() / 1e6 - afterMs, qPrintable(window.GoCaption()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir settings;
    if (!std::getenv("LINDO_SETTINGS_FILE"))
        setenv("LINDO_SETTINGS_FILE", qPrintable(settings.filePath("settings.ini")), 1);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "shots")
        return Shots(args[2]);
    if (args.size() == 4 && args[1] == "time")
        return Time(args[2], args[3]);
    if (args.size() == 5 && args[1] == "abort")
        return Abort(args[2], args[3], args[4].toInt());
    std::fprintf(stderr, "usage: folderwindow shots <output folder>\n       folderwindow time <folder1> <folder2>\n"
                         "       folderwindow abort <folder1> <folder2> <milliseconds>\n");
    return 2;
}
