// Every control a screen reader can land on in the merge windows has a name.

#include "mergedwindowfixture.h"
#include "support/accessiblenames.h"

#include "merge/mergetargetdialog.h"

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

TEST(AccessibleNames, MergeTargetPromptControlsAreNamed)
{
    CMergeTargetDialog dialog;
    EXPECT_EQ(NamelessControls(&dialog).join(", ").toStdString(), "");
}

TEST_F(MergedWindowTest, AccessibleNamesCoverEveryControl)
{
    EXPECT_EQ(NamelessControls(&Open("a\n", "b\n")).join(", ").toStdString(), "");
}

} // namespace
} // namespace lindo::test
