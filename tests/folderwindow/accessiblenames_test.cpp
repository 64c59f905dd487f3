// Every control a screen reader can land on in the folder window has a name.

#include "folderwindowfixture.h"
#include "support/accessiblenames.h"

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

TEST_F(FolderWindowTest, AccessibleNamesCoverEveryControl)
{
    EXPECT_EQ(NamelessControls(&Open()).join(", ").toStdString(), "");
}

} // namespace
} // namespace lindo::test
