// Saving the Merged window's text: what is written, where, and what a
// failure leaves behind.

#include "mergedwindowfixture.h"

#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QtTest/QTest>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;
using namespace merged;

const std::string kFirst = "top\nonly in first\nbottom\n";
const std::string kSecond = "top\r\nbottom\r\n";

// Bytes that are not plain text: invalid UTF-8, NUL, a lone CR, a line
// ending in CR CR LF, a private-use character of the escape block, a line
// separator and some ordinary UTF-8.
const char kOddText[] = "caf\xE9 \xFF\xFE end\n"
                        "nul\0inside\n"
                        "lone\rcr\n"
                        "double cr\r\r\n"
                        "\xEF\x9C\x80 reserved \xE2\x80\xA8 sep\n"
                        "\xE2\x82\xAC \xF0\x9F\x98\x80 \xC0\xAF\n";
const std::string kOddBytes(kOddText, sizeof kOddText - 1);
const std::string kUtf8Bom = "\xEF\xBB\xBF";

QString PathText(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

TEST_F(MergedWindowTest, SaveWritesTheEditedTextToTheDefaultTarget)
{
    Open(kFirst, kSecond);
    QTest::keyClicks(&TextArea(), "Edited ");
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "Edited " + owner.MergeBytes());
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_NE(owner.window, nullptr);
}

TEST_F(MergedWindowTest, TypingOnAfterASaveIsAnEditOfItsOwnThatUndoTakesBackToTheSavedText)
{
    Open(kFirst, kSecond);
    QTest::keyClicks(&TextArea(), "Saved ");
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    const std::string saved = ReadFile(dir / "merged.txt");
    ASSERT_EQ(saved, "Saved " + owner.MergeBytes());

    // Right after the saved typing, as if the save had not interrupted it.
    QTest::keyClicks(&TextArea(), "more ");
    EXPECT_TRUE(TextArea().IsEdited());
    prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(owner.window->OfferToSaveEdits());
    EXPECT_EQ(prompter.requests.size(), 1u);

    QTest::keyClick(&TextArea(), Qt::Key_Z, Qt::ControlModifier);
    std::string bytes;
    TextArea().StreamOut([&](std::string_view piece) {
        bytes += piece;
        return true;
    });
    EXPECT_EQ(bytes, saved);
    EXPECT_FALSE(TextArea().IsEdited());
    EXPECT_TRUE(owner.window->OfferToSaveEdits());
    EXPECT_EQ(prompter.requests.size(), 1u);
}

TEST_F(MergedWindowTest, SaveTakesTheDefaultTargetAfreshEachTime)
{
    Open(kFirst, kSecond);
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    owner.target = PathText(dir / "moved.txt");
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    EXPECT_EQ(ReadFile(dir / "merged.txt"), owner.MergeBytes());
    EXPECT_EQ(ReadFile(dir / "moved.txt"), owner.MergeBytes());
}

TEST_F(MergedWindowTest, SaveAsWritesTheChosenFileAndLaterSaveStillTheDefault)
{
    owner.target = PathText(dir / "defaults" / "merged.txt");
    fs::create_directories(dir / "defaults");
    Open(kFirst, kSecond);
    choosers.fileAnswers.push_back(PathText(dir / "chosen.txt"));
    QTest::mouseClick(&Button(kIdSaveAs), Qt::LeftButton);
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(choosers.fileRequests[0].title, "Save As");
    EXPECT_EQ(choosers.fileRequests[0].initialDirectory, PathText(dir / "defaults"));
    EXPECT_EQ(choosers.fileRequests[0].parent, owner.window.get());
    EXPECT_EQ(ReadFile(dir / "chosen.txt"), owner.MergeBytes());
    EXPECT_FALSE(fs::exists(dir / "defaults" / "merged.txt"));

    QTest::keyClicks(&TextArea(), "2nd ");
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    EXPECT_EQ(ReadFile(dir / "defaults" / "merged.txt"), "2nd " + owner.MergeBytes());
    EXPECT_EQ(ReadFile(dir / "chosen.txt"), owner.MergeBytes());
}

TEST_F(MergedWindowTest, CancelledSaveAsWritesNothing)
{
    Open(kFirst, kSecond);
    QTest::mouseClick(&Button(kIdSaveAs), Qt::LeftButton);
    EXPECT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "merged.txt"));
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(MergedWindowTest, SaveAndSaveAsAskBeforeReplacingAComparedFile)
{
    WriteFile(dir / "first.txt", kFirst);
    WriteFile(dir / "second.txt", kSecond);
    owner.compared = {(dir / "first.txt").string(), (dir / "second.txt").string()};
    // Another spelling of the first file, as a bare name against the working directory would be.
    owner.target = PathText(dir / "." / "first.txt");
    Open(kFirst, kSecond);

    prompter.answers = {PromptAnswer::No};
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Replace the compared file " + owner.target + " with the merge?");
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(ReadFile(dir / "first.txt"), kFirst);

    choosers.fileAnswers.push_back(PathText(dir / "second.txt"));
    prompter.answers = {PromptAnswer::Yes};
    QTest::mouseClick(&Button(kIdSaveAs), Qt::LeftButton);
    EXPECT_EQ(prompter.requests.size(), 2u);
    EXPECT_EQ(ReadFile(dir / "second.txt"), owner.MergeBytes());
}

class MergedReplaceTest : public MergedWindowTest {
protected:
    void PressCtrlS()
    {
        owner.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(owner.window.get()));
        QTest::keyClick(&TextArea(), Qt::Key_S, Qt::ControlModifier);
    }
};

TEST_F(MergedReplaceTest, SaveAndSaveAsAskBeforeReplacingAnyExistingFileButTheOneLastSaved)
{
    WriteFile(dir / "merged.txt", "precious other content");
    Open(kFirst, kSecond);
    prompter.answers = {PromptAnswer::No};
    PressCtrlS();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Replace the existing file " + owner.target + "?");
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.requests[0].defaultButton, PromptAnswer::No);
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "precious other content");

    prompter.answers = {PromptAnswer::Yes};
    PressCtrlS();
    EXPECT_EQ(ReadFile(dir / "merged.txt"), owner.MergeBytes());
    // The window's own file is saved again without a question.
    QTest::keyClicks(&TextArea(), "more ");
    PressCtrlS();
    EXPECT_EQ(prompter.requests.size(), 2u);
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "more " + owner.MergeBytes());

    WriteFile(dir / "notes.txt", "notes");
    choosers.fileAnswers.push_back(PathText(dir / "notes.txt"));
    prompter.answers = {PromptAnswer::No};
    QTest::mouseClick(&Button(kIdSaveAs), Qt::LeftButton);
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_TRUE(choosers.fileRequests[0].forSaving);
    ASSERT_EQ(prompter.requests.size(), 3u);
    EXPECT_EQ(prompter.requests[2].text, "Replace the existing file " + PathText(dir / "notes.txt") + "?");
    EXPECT_EQ(ReadFile(dir / "notes.txt"), "notes");
}

TEST_F(MergedReplaceTest, TheComparedFileQuestionGoesByTheFilesTheTextCameFrom)
{
    // A Latin-1 name, not valid UTF-8: it must still be recognised.
    const fs::path first = dir / "caf\xE9.txt";
    WriteFile(first, kFirst);
    owner.compared = {first.string()};
    Open(kFirst, kSecond);
    // The main window has compared other files since.
    owner.compared = {(dir / "other.txt").string()};
    owner.targetBytes = first.string();
    prompter.answers = {PromptAnswer::No};
    PressCtrlS();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_TRUE(prompter.requests[0].text.startsWith("Replace the compared file "));
    EXPECT_EQ(prompter.requests[0].defaultButton, PromptAnswer::No);
    EXPECT_EQ(ReadFile(first), kFirst);
}

// Read as Windows-1252, as UTF-8 with a BOM (invalid sequences and all) and
// as UTF-16, the text is shown as UTF-8 and saved back in its own encoding.
TEST_F(MergedWindowTest, UneditedTextIsSavedByteForByte)
{
    const std::string utf16 = "\xFF\xFE" + Iconv("caf\xC3\xA9\r\n\xF0\x9F\x98\x80 x\r\n", "UTF-16LE");
    for (const std::string &bytes : {kOddBytes, kUtf8Bom + kOddBytes, utf16}) {
        Open(bytes, bytes);
        ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
        EXPECT_EQ(ReadFile(dir / "merged.txt"), owner.MergeBytes());
        EXPECT_TRUE(prompter.requests.empty());
        owner.window.reset();
    }
}

// Typed text goes into the file in its encoding, a typed line break as the
// files' line end; a character the encoding has no place for sends the whole
// text to UTF-8, and the user is told.
TEST_F(MergedWindowTest, SaveWritesTheFilesEncodingOrSaysWhyNot)
{
    Open("caf\xE9\n", "caf\xE9\n");
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, QString::fromUtf8("\xC3\xBC"));
    QApplication::sendEvent(&TextArea(), &umlaut);
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "\xFC" "caf\xE9\n");
    QTest::keyClick(&TextArea(), Qt::Key_Return);
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "\xFC\n" "caf\xE9\n");
    QTest::keyClick(&TextArea(), Qt::Key_Backspace);
    EXPECT_TRUE(prompter.requests.empty());
    QInputMethodEvent han;
    han.setCommitString(QString::fromUtf8("\xE6\x97\xA5"));
    QApplication::sendEvent(&TextArea(), &han);
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "\xC3\xBC\xE6\x97\xA5" "caf\xC3\xA9\n");
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, kSavedAsUtf8.arg("Windows-1252"));
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Information);
}

// The file is UTF-8 with a BOM, so its invalid sequences stay in the text.
TEST_F(MergedWindowTest, EditsKeepEveryByteTheyDoNotTouch)
{
    Open(kUtf8Bom + kOddBytes, kUtf8Bom + kOddBytes);
    const std::string original = owner.MergeBytes();
    // Replace the first character of the second line ("n") and add a line at the end.
    QTest::keyClick(&TextArea(), Qt::Key_Down);
    QTest::keyClick(&TextArea(), Qt::Key_Delete);
    QTest::keyClicks(&TextArea(), "N");
    QTest::keyClick(&TextArea(), Qt::Key_End, Qt::ControlModifier);
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, QString::fromUtf8("\xC3\xBC"));
    QApplication::sendEvent(&TextArea(), &umlaut);
    QTest::keyClick(&TextArea(), Qt::Key_Return);
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));

    std::string expected = original;
    const std::size_t secondLine = expected.find("\r\n") + 2;
    expected[secondLine] = 'N';
    expected += "\xC3\xBC\r\n";
    EXPECT_EQ(ReadFile(dir / "merged.txt"), expected);
}

TEST_F(MergedWindowTest, ShiftEnterStartsARealLine)
{
    Open("x\r\n", "x\r\n");
    QTest::keyClick(&TextArea(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(LineStatus().text(), "Ln 1");
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "\r\nx\r\n");
}

struct UncreatableCase {
    const char *name;
    std::string relative; // under the test folder; empty: the empty path
};

void PrintTo(const UncreatableCase &c, std::ostream *out)
{
    *out << c.name;
}

class MergedWindowUncreatable : public MergedWindowTest, public testing::WithParamInterface<UncreatableCase> {};

TEST_P(MergedWindowUncreatable, SaysItCouldNotCreateTheFileAndStaysOpen)
{
    fs::create_directories(dir / "folder");
    owner.target = GetParam().relative.empty() ? QString() : PathText(dir / GetParam().relative);
    Open(kFirst, kSecond);
    QTest::mouseClick(&Button(kIdSave), Qt::LeftButton);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].caption, "Error");
    EXPECT_EQ(prompter.requests[0].text, "Could not create file:\n\n" + owner.target);
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Stop);
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::Ok);
    ASSERT_NE(owner.window, nullptr);
    EXPECT_TRUE(owner.window->isVisible());
    EXPECT_EQ(FolderContents(dir / "folder"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Targets, MergedWindowUncreatable,
                         testing::Values(UncreatableCase{"MissingFolder", "no/such/folder/out.txt"},
                                         UncreatableCase{"AFolder", "folder"},
                                         UncreatableCase{"EmptyPath", ""}),
                         [](const testing::TestParamInfo<UncreatableCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(MergedWindowTest, ReadOnlyTargetIsLeftAsItWas)
{
    WriteFile(dir / "readonly.txt", "old contents");
    fs::permissions(dir.path(), fs::perms::all); // the folder would let a new file in
    fs::permissions(dir / "readonly.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Open(kFirst, kSecond);
    const QString target = PathText(dir / "readonly.txt");
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        const bool saved = owner.window->SaveMergedText(target);
        return !saved && prompter.requests.size() == 1
               && prompter.requests[0].text == "Could not create file:\n\n" + target;
    }));
    EXPECT_EQ(ReadFile(dir / "readonly.txt"), "old contents");
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"readonly.txt"});
}

TEST_F(MergedWindowTest, FullDeviceIsReportedNotCountedAsSaved)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Open(kFirst, kSecond);
    EXPECT_FALSE(owner.window->SaveMergedText("/dev/full"));
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].caption, "Error");
    EXPECT_EQ(prompter.requests[0].text, "Disk full while accessing /dev/full.");
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Stop);
}

// Makes writes beyond `bytes` fail in this process while it lives, the way a
// full disk fails them.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(MergedWindowTest, FailureWhileWritingKeepsTheOldFile)
{
    const std::string line(200, 'x');
    Open(line + "\n", line + "\n");
    WriteFile(dir / "merged.txt", "old contents");
    bool saved = true;
    {
        FileSizeLimit limit(64);
        saved = owner.window->SaveMergedText(owner.target);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].caption, "Error");
    EXPECT_EQ(prompter.requests[0].text, "Disk full while accessing " + owner.target + ".");
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "old contents");
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"merged.txt"});
}

} // namespace
} // namespace lindo::test
