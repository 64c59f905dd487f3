// An exception out of an event handler stops at the top of the event loop
// and is reported, instead of ending the program with its unsaved text.

#include "app/guardedapplication.h"

#include "support/scriptedprompter.h"

#include <QEvent>
#include <QObject>
#include <gtest/gtest.h>

#include <stdexcept>

namespace lindo::test {
namespace {

// Throws as the Merged window's undo once did from its key handler.
class ThrowingObject final : public QObject {
public:
    bool event(QEvent *) override { throw std::out_of_range("vector::_M_range_check"); }
};

TEST(GuardedDelivery, AnExceptionFromAHandlerIsReportedAndGoesNoFurther)
{
    ScriptedPrompter prompter;
    ThrowingObject receiver;
    QEvent event(QEvent::User);
    bool delivered = true;
    EXPECT_NO_THROW(delivered = DeliverGuarded([&] { return receiver.event(&event); }));
    EXPECT_FALSE(delivered);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Stop);
    EXPECT_EQ(prompter.requests[0].text, kInternalErrorFormat.arg("vector::_M_range_check"));

    // Handlers that do not throw are delivered as they are, with nothing said.
    EXPECT_TRUE(DeliverGuarded([] { return true; }));
    EXPECT_EQ(prompter.requests.size(), 1u);
}

} // namespace
} // namespace lindo::test
