// main() for tests that drive real widgets: a QApplication on the offscreen
// platform unless the caller chose another one (xvfb-run for screenshots).
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Tests must never touch the user's real settings.
    if (!std::getenv("LINDO_SETTINGS_FILE"))
        setenv("LINDO_SETTINGS_FILE", "/dev/null/lindo-test.ini", 1); // under a file: every write is lost
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
