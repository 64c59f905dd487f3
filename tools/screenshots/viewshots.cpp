// Screenshots of two comparison panes, for looking at what the panes draw.
//
//   viewshots <output folder>
//
// Run it under a real X server (tools/screenshots/view.sh uses xvfb-run) or
// with QT_QPA_PLATFORM=offscreen. Writes one PNG per scene into the folder.

#include "panepair.h"

#include "view/sectionpropertiesdialog.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using lindo::bench::PanePair;

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Save(PanePair &pair, const QString &folder, const char *name)
{
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!pair.grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: viewshots <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    PanePair example(QSize(240, 120));
    example.ShowAndWait();
    example.Compare("}\na\n}\nb\n}\n", "a\n}\ne\n}\n");
    Save(example, folder, "example");

    PanePair samples(QSize(420, 330));
    samples.ShowAndWait();
    const std::string root = LINDO_SOURCE_DIR "/samples/";
    samples.Compare(ReadText(root + "first.c"), ReadText(root + "second.c"));
    Save(samples, folder, "samples-top");

    // A user scroll of the left pane: the right one follows, linked lines level.
    samples.Pane(1).verticalScrollBar()->setValue(22 * samples.Pane(1).LineHeight());
    Save(samples, folder, "samples-scrolled");

    samples.Pane(1).ScrollToPosition(QPoint(0, 0));
    samples.Pane(1).GoNextChange();
    Save(samples, folder, "samples-next1");
    samples.Pane(1).GoNextChange();
    Save(samples, folder, "samples-next2");

    // Sideways scroll: both panes move together.
    samples.Pane(1).horizontalScrollBar()->setValue(40);
    Save(samples, folder, "samples-sideways");

    samples.engine.showSelections = 0;
    samples.Pane(1).viewport()->update();
    samples.Pane(2).viewport()->update();
    Save(samples, folder, "samples-noselections");

    // The properties of the worked example's "Different" section of side 1.
    lindo::CSectionPropertiesDialog properties(&example.engine, 1, 2);
    properties.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QStringLiteral("properties.png"));
    if (properties.grab().save(path))
        std::printf("%s\n", qPrintable(path));
    return 0;
}
