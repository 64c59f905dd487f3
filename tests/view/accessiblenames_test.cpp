// Every control a screen reader can land on in the view's dialogs has a name.

#include "support/accessiblenames.h"

#include "view/sectionpropertiesdialog.h"

#include <gtest/gtest.h>

namespace lindo {
namespace {

TEST(AccessibleNames, SectionPropertiesFieldsAreNamed)
{
    CSectionPropertiesDialog dialog(nullptr, 1, 0);
    EXPECT_EQ(test::NamelessControls(&dialog).join(", ").toStdString(), "");
}

} // namespace
} // namespace lindo
