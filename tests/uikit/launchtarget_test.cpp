// Opening link targets: the default handler first, the web-page handler's
// command as the fallback, and the error code the user is told about.

#include "support/linktestdoubles.h"
#include "support/qtprinters.h"
#include "support/testfiles.h"
#include "uikit/launcherror.h"
#include "uikit/launchtarget.h"

#include <QDir>
#include <QString>
#include <QUrl>

#include <gtest/gtest.h>

namespace lindo {
namespace {

using test::FakeLinkLauncher;
using test::TempDir;
using test::WriteFile;

QString Q(const std::filesystem::path &path)
{
    return QString::fromStdString(path.string());
}

struct FallbackRow {
    const char *name;
    QString exec;
    QString target;
    QStringList expected;
};

void PrintTo(const FallbackRow &row, std::ostream *out) { *out << row.name; }


class FallbackCommandLineTest : public testing::TestWithParam<FallbackRow> {};

TEST_P(FallbackCommandLineTest, PlacesTheTarget)
{
    const FallbackRow &row = GetParam();
    EXPECT_EQ(FallbackCommandLine(row.exec, row.target), row.expected);
}

const QString kUrl = QStringLiteral("https://lindo.example.org/");

INSTANTIATE_TEST_SUITE_P(
    Placeholders, FallbackCommandLineTest,
    testing::Values(
        FallbackRow{"BareUrlPlaceholder", "firefox %u", kUrl, {"firefox", kUrl}},
        FallbackRow{"QuotedPlaceholder", "chromium \"%U\"", kUrl, {"chromium", kUrl}},
        FallbackRow{"FilePlaceholders", "viewer %F", kUrl, {"viewer", kUrl}},
        FallbackRow{"NoPlaceholderAppends", "epiphany --new-tab", kUrl,
                    {"epiphany", "--new-tab", kUrl}},
        FallbackRow{"ArgumentsAfterPlaceholderStay", "browser --new-window %u --private", kUrl,
                    {"browser", "--new-window", kUrl, "--private"}},
        FallbackRow{"PlaceholderInsideArgument", "browser --url=%u", kUrl,
                    {"browser", "--url=" + kUrl}},
        FallbackRow{"OnlyFirstPlaceholderTakesTarget", "browser %u %f", kUrl, {"browser", kUrl}},
        FallbackRow{"OtherFieldCodesDropped", "browser %i %c %u %k", kUrl, {"browser", kUrl}},
        FallbackRow{"DoublePercentIsLiteral", "browser --zoom=100%% %u", kUrl,
                    {"browser", "--zoom=100%", kUrl}},
        FallbackRow{"QuotedProgramWithBlanks", "\"/opt/My Browser/run\" %U", kUrl,
                    {"/opt/My Browser/run", kUrl}},
        FallbackRow{"EscapesInsideQuotes", "sh -c \"echo \\\"\\$1\\\"\" %u", kUrl,
                    {"sh", "-c", "echo \"$1\"", kUrl}},
        FallbackRow{"TargetStaysOneArgument", "browser %u", "a b; rm -rf ~ `x` $HOME",
                    {"browser", "a b; rm -rf ~ `x` $HOME"}},
        FallbackRow{"TargetIsNotExpandedAgain", "browser %u", "%f%%", {"browser", "%f%%"}},
        FallbackRow{"EmptyCommand", "", kUrl, {}},
        FallbackRow{"OnlyFieldCodes", "  %i  ", kUrl, {}}),
    [](const testing::TestParamInfo<FallbackRow> &info) { return info.param.name; });

TEST(DesktopEntryCommandTest, ReadsExecOfTheDesktopEntryGroupOnly)
{
    TempDir dir;
    WriteFile(dir / "web.desktop", "[Desktop Action private]\n"
                                   "Exec=web --private %u\n"
                                   "[Desktop Entry]\n"
                                   "Name=Web\n"
                                   "Exec[de]=web --deutsch %u\n"
                                   "Exec = /opt/web\\sbrowser/bin/web %u\n"
                                   "[Desktop Action other]\n"
                                   "Exec=web --other\n");
    EXPECT_EQ(DesktopEntryCommand("web.desktop", {Q(dir.path())}),
              "/opt/web browser/bin/web %u");
}

TEST(DesktopEntryCommandTest, FirstFolderHoldingTheFileWins)
{
    TempDir user;
    TempDir system;
    WriteFile(system / "web.desktop", "[Desktop Entry]\nExec=system-web %u\n");
    WriteFile(system / "other.desktop", "[Desktop Entry]\nExec=other %u\n");
    WriteFile(user / "web.desktop", "[Desktop Entry]\nExec=user-web %u\n");
    const QStringList folders{Q(user / "missing"), Q(user.path()), Q(system.path())};
    EXPECT_EQ(DesktopEntryCommand("web.desktop", folders), "user-web %u");
    EXPECT_EQ(DesktopEntryCommand("other.desktop", folders), "other %u");
}

TEST(DesktopEntryCommandTest, UnknownOrUnsafeNamesGiveNothing)
{
    TempDir dir;
    WriteFile(dir / "apps" / "web.desktop", "[Desktop Entry]\nExec=web %u\n");
    WriteFile(dir / "noexec.desktop", "[Desktop Entry]\nName=No command\n");
    const QStringList folders{Q(dir / "apps")};
    EXPECT_EQ(DesktopEntryCommand("", folders), "");
    EXPECT_EQ(DesktopEntryCommand("missing.desktop", folders), "");
    EXPECT_EQ(DesktopEntryCommand("../noexec.desktop", folders), "");
    EXPECT_EQ(DesktopEntryCommand("noexec.desktop", {Q(dir.path())}), "");
}

TEST(TargetUrlTest, MailAddressesUrlsAndPaths)
{
    EXPECT_EQ(TargetUrl("lindo@example.org"), QUrl("mailto:lindo@example.org"));
    EXPECT_EQ(TargetUrl("mailto:lindo@example.org"), QUrl("mailto:lindo@example.org"));
    EXPECT_EQ(TargetUrl(kUrl), QUrl(kUrl));
    EXPECT_EQ(TargetUrl("/tmp/read me.txt"), QUrl::fromLocalFile("/tmp/read me.txt"));
    EXPECT_EQ(TargetUrl("notes.txt"), QUrl::fromLocalFile(QDir::current().filePath("notes.txt")));
    EXPECT_TRUE(TargetUrl("").isEmpty());
}

// A desktop whose default handler refuses everything but which names a web
// browser with a desktop file in a temporary folder.
struct BrowserFallback {
    BrowserFallback()
    {
        WriteFile(apps / "browser.desktop", "[Desktop Entry]\nExec=browser --new %u\n");
        launcher.openSucceeds = false;
        launcher.defaultApplication = "browser.desktop";
        launcher.applicationFolders = {Q(apps.path())};
    }
    TempDir apps;
    FakeLinkLauncher launcher;
};

TEST(LaunchTargetTest, DefaultHandlerSuccessNeedsNoFallback)
{
    FakeLinkLauncher launcher;
    EXPECT_EQ(LaunchTarget(kUrl, launcher), kLaunchStarted);
    ASSERT_EQ(launcher.openedUrls.size(), 1u);
    EXPECT_EQ(launcher.openedUrls[0], QUrl(kUrl));
    EXPECT_TRUE(launcher.queriedTypes.isEmpty());
    EXPECT_TRUE(launcher.startedCommands.empty());
}

TEST(LaunchTargetTest, BareMailAddressOpensAsMailLink)
{
    FakeLinkLauncher launcher;
    EXPECT_EQ(LaunchTarget("lindo@example.org", launcher), kLaunchStarted);
    ASSERT_EQ(launcher.openedUrls.size(), 1u);
    EXPECT_EQ(launcher.openedUrls[0].toString(), "mailto:lindo@example.org");
}

TEST(LaunchTargetTest, RefusedTargetStartsTheWebPageHandler)
{
    BrowserFallback desktop;
    EXPECT_EQ(LaunchTarget(kUrl, desktop.launcher), kLaunchStarted);
    EXPECT_EQ(desktop.launcher.queriedTypes, QStringList{"text/html"});
    ASSERT_EQ(desktop.launcher.startedCommands.size(), 1u);
    EXPECT_EQ(desktop.launcher.startedCommands[0], (QStringList{"browser", "--new", kUrl}));
}

struct StartFailureRow {
    const char *name;
    ProgramStart start;
    int expectedCode;
};

void PrintTo(const StartFailureRow &row, std::ostream *out) { *out << row.name; }


class FallbackStartFailureTest : public testing::TestWithParam<StartFailureRow> {};

TEST_P(FallbackStartFailureTest, ReportsTheFallbacksError)
{
    BrowserFallback desktop;
    desktop.launcher.startResult = GetParam().start;
    EXPECT_EQ(LaunchTarget(kUrl, desktop.launcher), GetParam().expectedCode);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, FallbackStartFailureTest,
    testing::Values(StartFailureRow{"ProgramMissing", ProgramStart::NotFound, kLaunchFileNotFound},
                    StartFailureRow{"NotExecutable", ProgramStart::AccessDenied, kLaunchAccessDenied},
                    StartFailureRow{"ForkFailed", ProgramStart::Failed, kLaunchOutOfResources}),
    [](const testing::TestParamInfo<StartFailureRow> &info) { return info.param.name; });

TEST(LaunchTargetTest, WithoutUsableHandlerTheDefaultHandlersErrorStays)
{
    BrowserFallback desktop;
    desktop.launcher.defaultApplication.clear();
    EXPECT_EQ(LaunchTarget(kUrl, desktop.launcher), kLaunchNoAssociation);
    desktop.launcher.defaultApplication = "gone.desktop";
    EXPECT_EQ(LaunchTarget(kUrl, desktop.launcher), kLaunchNoAssociation);
    EXPECT_TRUE(desktop.launcher.startedCommands.empty());
}

TEST(LaunchTargetTest, MissingLocalPathsAreNotHandedToTheDesktop)
{
    TempDir dir;
    FakeLinkLauncher launcher;
    EXPECT_EQ(LaunchTarget(Q(dir / "missing.txt"), launcher), kLaunchFileNotFound);
    EXPECT_EQ(LaunchTarget(Q(dir / "nofolder" / "missing.txt"), launcher), kLaunchPathNotFound);
    EXPECT_EQ(LaunchTarget("file://" + Q(dir / "missing.txt"), launcher), kLaunchFileNotFound);
    EXPECT_TRUE(launcher.openedUrls.empty());

    WriteFile(dir / "present.txt", "text");
    EXPECT_EQ(LaunchTarget(Q(dir / "present.txt"), launcher), kLaunchStarted);
    ASSERT_EQ(launcher.openedUrls.size(), 1u);
    EXPECT_EQ(launcher.openedUrls[0], QUrl::fromLocalFile(Q(dir / "present.txt")));
}

TEST(LaunchTargetTest, MissingLocalFileStillTriesTheWebPageHandler)
{
    BrowserFallback desktop;
    const QString missing = Q(desktop.apps / "missing.html");
    EXPECT_EQ(LaunchTarget(missing, desktop.launcher), kLaunchStarted);
    ASSERT_EQ(desktop.launcher.startedCommands.size(), 1u);
    EXPECT_EQ(desktop.launcher.startedCommands[0], (QStringList{"browser", "--new", missing}));
}

} // namespace
} // namespace lindo
