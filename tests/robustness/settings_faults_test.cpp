// The settings file shared by processes that write it at the same moment:
// no write of either is lost, a reader never sees a half-written file, and a
// value another process wrote is seen at the next read, however soon.

#include "faultsupport.h"
#include "settingsstore/settingsstore.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWrites = 300;
// Every value the writers write has the same length, so the file keeps its
// size from one write to the next: only its time tells a change.
constexpr int kBase = 1000;

// Writes its own value and a shared one kWrites times, counting up, then exits.
pid_t StartWriter(const QString &path, int writer)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    const SettingsStore store(path);
    const QString own = QStringLiteral("Writer%1").arg(writer);
    for (int n = 1; n <= kWrites; ++n) {
        store.WriteNumber(own, kBase + n);
        store.WriteList(QStringLiteral("Shared"), {QString::number(writer), QString::number(kBase + n)});
    }
    _exit(0);
}

TEST(SettingsFaults, TwoProcessesWritingAtOnceLoseNothingAndTearNothing)
{
    MemoryFolder dir;
    ASSERT_FALSE(dir.path().empty());
    const QString path = QString::fromStdString((dir / "Lindo.ini").string());
    SettingsStore(path).WriteText(QStringLiteral("MergePath"), QStringLiteral("/kept"));
    const pid_t writers[2] = {StartWriter(path, 1), StartWriter(path, 2)};

    // Meanwhile every read sees a whole file: each writer's count only grows,
    // and a value once there stays there.
    const SettingsStore store(path);
    int last[2] = {0, 0};
    bool running = true;
    while (running) {
        running = false;
        for (pid_t writer : writers)
            running = running || waitpid(writer, nullptr, WNOHANG) == 0;
        for (int w = 0; w < 2; ++w) {
            const int now = store.ReadNumber(QStringLiteral("Writer%1").arg(w + 1)).value_or(0);
            EXPECT_GE(now, last[w]) << "writer " << w + 1;
            last[w] = std::max(last[w], now);
        }
        EXPECT_EQ(store.ReadText(QStringLiteral("MergePath")).value_or(QString()), QStringLiteral("/kept"));
    }
    for (pid_t writer : writers)
        waitpid(writer, nullptr, 0);

    EXPECT_EQ(store.ReadNumber(QStringLiteral("Writer1")), kBase + kWrites);
    EXPECT_EQ(store.ReadNumber(QStringLiteral("Writer2")), kBase + kWrites);
    const QStringList shared = store.ReadList(QStringLiteral("Shared"));
    ASSERT_EQ(shared.size(), 2);
    EXPECT_EQ(shared[1], QString::number(kBase + kWrites)) << ReadFile(dir / "Lindo.ini");
    // Nothing but the file itself is left: no lock, no temporary.
    EXPECT_EQ(RecordFolder(dir.path()).size(), 1u);
}

} // namespace
} // namespace lindo::test

namespace lindo::test {
namespace {

constexpr int kRounds = 300;

bool SendRound(int fd, int round)
{
    return write(fd, &round, sizeof round) == sizeof round;
}

int ReceiveRound(int fd)
{
    int round = -1;
    return read(fd, &round, sizeof round) == sizeof round ? round : -1;
}

// Two processes take turns: one writes "Ping", the other reads it and answers
// with "Pong", which the first reads before its next "Ping". Each turn follows
// the last within well under a millisecond and no write changes the file's
// size, so only a store that never trusts an old copy of the file sees every
// value.
TEST(SettingsFaults, AValueWrittenByAnotherProcessIsSeenAtTheNextReadHoweverSoon)
{
    MemoryFolder dir;
    ASSERT_FALSE(dir.path().empty());
    const QString path = QString::fromStdString((dir / "Lindo.ini").string());
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const SettingsStore store(path);
    store.WriteNumber(QStringLiteral("Ping"), kBase);
    store.WriteNumber(QStringLiteral("Pong"), kBase);

    const pid_t child = fork();
    if (child == 0) {
        int missed = 0;
        for (int round = 1; round <= kRounds; ++round) {
            store.WriteNumber(QStringLiteral("Ping"), kBase + round);
            if (!SendRound(toParent[1], round) || ReceiveRound(toChild[0]) != round)
                _exit(2);
            missed += store.ReadNumber(QStringLiteral("Pong")) != kBase + round ? 1 : 0;
        }
        _exit(missed == 0 ? 0 : 1);
    }
    int missed = 0;
    for (int round = 1; round <= kRounds; ++round) {
        ASSERT_EQ(ReceiveRound(toParent[0]), round);
        missed += store.ReadNumber(QStringLiteral("Ping")) != kBase + round ? 1 : 0;
        store.WriteNumber(QStringLiteral("Pong"), kBase + round);
        ASSERT_TRUE(SendRound(toChild[1], round));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(missed, 0) << "values of the other process not seen";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process missed values";
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        close(fd);
}

} // namespace
} // namespace lindo::test
