// Shows two compared panes, a "Next change" and a "Compare again" button, then waits to be
// read and driven by an accessibility client (and quits on its own after a while, so a
// client that dies never leaves it behind).

#include "panehost.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    lindo::test::PaneHost host;
    host.Compare("keep\nold\ngone\ntail\n", "keep\nnew\ntail\nadded\n");
    auto *next = new QPushButton(QStringLiteral("Next change"), &host);
    next->move(0, 250);
    QObject::connect(next, &QPushButton::clicked, &host, [&host] { host.Left().GoNextChange(); });
    // Texts a bus string cannot carry as they are: a NUL, an emoji (two
    // UTF-16 units), bytes that are no UTF-8.
    auto *again = new QPushButton(QStringLiteral("Compare again"), &host);
    again->move(150, 250);
    QObject::connect(again, &QPushButton::clicked, &host, [&host] {
        constexpr char kText[] = "has\0nul byte\n\xF0\x9F\x98\x80 smile\ncafe\xCC\x81\nend\n";
        const std::string text(kText, sizeof kText - 1);
        host.Compare(text, text);
    });
    host.resize(700, 300);
    host.show();
    QTimer::singleShot(30000, &app, &QApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
