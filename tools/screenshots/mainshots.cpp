// Screenshots of the main window: before and after a comparison of the two
// sample files, at two window sizes, and after stepping to a change.
//   mainshots OUTPUT-FOLDER     (run under xvfb-run; see tools/screenshots/main.sh)

#include "app/comparedialog.h"
#include "app/comparedialogids.h"
#include "app/panefinder.h"
#include "uikit/findbar.h"
#include "uikit/pathcombobox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>

#include "merge/mergeddialog.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Save(QWidget &window, const QString &folder, const char *name)
{
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    window.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mainshots OUTPUT-FOLDER\n");
        return 2;
    }
    setenv("LINDO_SETTINGS_FILE", "/dev/null/lindo-shots.ini", 1);
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    lindo::CCompareDialog window;
    window.show();
    Save(window, folder, "main-before");
    window.FirstPathBox()->SetText(LINDO_SOURCE_DIR "/samples/first.c");
    window.SecondPathBox()->SetText(LINDO_SOURCE_DIR "/samples/second.c");
    window.OnCompare();
    Save(window, folder, "main-after");
    window.resize(1000, 700);
    Save(window, folder, "main-large");
    window.OnNextChange();
    window.OnNextChange();
    window.OnNextChange();
    Save(window, folder, "main-large-third-change");
    // The find bar open under the panes, on the second match.
    window.Finder()->OpenBar();
    window.Finder()->Bar()->SetText(QStringLiteral("return"));
    emit window.Finder()->Bar()->Find(true, false);
    emit window.Finder()->Bar()->Find(true, true);
    Save(window, folder, "main-large-find");
    window.Finder()->Bar()->Close();
    window.resize(420, 300);
    Save(window, folder, "main-small");

    // The Merged window beside the main window: the whole screen.
    window.resize(700, 500);
    window.move(0, 0);
    window.OnMergeToScreen();
    if (QWidget *merged = window.MergedDialog()) {
        merged->move(window.frameGeometry().right() + 10, 0);
        // with its find bar open on a match
        auto *bar = merged->findChild<lindo::CFindBar *>();
        bar->Open();
        bar->SetText(QStringLiteral("return"));
        emit bar->Find(true, false);
        Save(*merged, folder, "merged-find");
        for (int n = 0; n < 20; ++n)
            QApplication::processEvents();
        const QString path = folder + "/main-with-merged.png";
        QGuiApplication::primaryScreen()->grabWindow(0).save(path);
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
