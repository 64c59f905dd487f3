// Every control of the main window and the About box has a name a screen
// reader can announce.

#include "app/aboutdialog.h"
#include "mainwindowfixture.h"
#include "support/accessiblenames.h"

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, AccessibleNamesCoverEveryControl)
{
    CCompareDialog &w = Open();
    EXPECT_EQ(NamelessControls(&w).join(", ").toStdString(), "");
}

TEST(AccessibleNames, AboutBoxControlsAreNamed)
{
    CAboutDialog dialog;
    dialog.show();
    EXPECT_EQ(NamelessControls(&dialog).join(", ").toStdString(), "");
}

} // namespace
} // namespace lindo::test
