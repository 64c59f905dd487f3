// Shows two compared panes and steps to the first change, then waits to be
// read by an accessibility client (and quits on its own after a while, so a
// client that dies never leaves it behind).

#include "../panehost.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    lindo::test::PaneHost host;
    host.Compare("keep\nold\ngone\ntail\n", "keep\nnew\ntail\nadded\n");
    host.show();
    host.Left().GoNextChange();
    QTimer::singleShot(30000, &app, &QApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
