// Shows two compared panes and a "Next change" button, then waits to be
// read and driven by an accessibility client (and quits on its own after a while, so a
// client that dies never leaves it behind).

#include "panehost.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    lindo::test::PaneHost host;
    host.Compare("keep\nold\ngone\ntail\n", "keep\nnew\ntail\nadded\n");
    auto *next = new QPushButton(QStringLiteral("Next change"), &host);
    next->move(0, 250);
    QObject::connect(next, &QPushButton::clicked, &host, [&host] { host.Left().GoNextChange(); });
    host.resize(700, 300);
    host.show();
    QTimer::singleShot(30000, &app, &QApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
