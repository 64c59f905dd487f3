// An input that goes away after the user chose it: the window says so in one
// "Error" box and keeps showing the previous comparison.

#include "app/mainwindowfixture.h"

#include <filesystem>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

TEST_F(MainWindowTest, AnInputDeletedBetweenThePathBoxAndTheReadIsReported)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    ASSERT_TRUE(prompter.requests.empty());
    const std::size_t sections1 = w.Engine().Sections(1).size();
    const std::size_t sections2 = w.Engine().Sections(2).size();

    for (const char *name : {"gone.txt", "replaced-by-a-folder.txt"}) {
        SCOPED_TRACE(name);
        prompter.requests.clear();
        WriteFile(dir / name, "it was here\n");
        w.SecondPathBox()->SetText(QPath(name));
        fs::remove(dir / name);
        if (std::string(name) != "gone.txt")
            fs::create_directory(dir / name);
        Trigger(mainwindow::kCmdCompare);

        ASSERT_EQ(prompter.requests.size(), 1u);
        EXPECT_EQ(prompter.requests[0].caption, "Error");
        EXPECT_EQ(prompter.requests[0].text, std::string(name) == "gone.txt"
                                                 ? QPath(name) + " was not found."
                                                 : "Access to " + QPath(name) + " was denied.");
        EXPECT_EQ(w.Engine().Lines(1).size(), 4u);
        EXPECT_EQ(w.Engine().Lines(2).size(), 5u);
        EXPECT_EQ(w.Engine().Sections(1).size(), sections1);
        EXPECT_EQ(w.Engine().Sections(2).size(), sections2);
    }
}

} // namespace
} // namespace lindo::test
