// Shows the Merged window's text area holding a merge output and a "Type"
// button that types into it, then waits to be read and driven by an
// accessibility client (and quits on its own after a while, so a client that
// dies never leaves it behind).

#include "merge/mergededitctrl.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    auto *text = new lindo::CMergedEditCtrl(&window);
    text->setAccessibleName(QStringLiteral("Merged text"));
    text->setGeometry(0, 0, 400, 200);
    text->StreamIn("merged ab\r\n\xF0\x9F\x98\x80 x\r\n");
    auto *type = new QPushButton(QStringLiteral("Type"), &window);
    type->move(0, 220);
    QObject::connect(type, &QPushButton::clicked, text, [text] {
        text->SetCaret(1, 4); // after the emoji
        QTest::keyClicks(text, QStringLiteral("Z"));
    });
    window.resize(420, 260);
    window.show();
    QTimer::singleShot(30000, &app, &QApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
