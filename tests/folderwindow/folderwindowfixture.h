#pragma once

// A Folder Comparison window over its own settings file and two small trees
// in a fresh temporary folder, owned by a fake main window that records what
// the window asks of it.

#include "engine/diffengine.h"
#include "folderwindow/foldercomparedialog.h"
#include "folderwindow/folderlistctrl.h"
#include "folderwindow/folderpathcombobox.h"
#include "folderwindow/folderwindowhost.h"
#include "support/qtprinters.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace lindo::test {

// Plays the main window: it owns the Folder Comparison window and deletes it
// in CloseFolderDialog unless a scan runs, as the main window does.
class FakeOwner final : public FolderWindowHost {
public:
    FakeOwner() { engine.exceptionStrings.clear(); }

    DiffEngine &Engine() override { return engine; }
    void CompareFiles(const std::string &path1, const std::string &path2) override
    {
        compared.emplace_back(path1, path2);
    }
    bool CloseFolderDialog() override
    {
        ++closeCalls;
        if (!dialog)
            return true;
        if (dialog->IsRunning()) {
            dialog->RequestAbort();
            return false;
        }
        dialog.reset();
        return true;
    }
    int ReadFoldersShowSame() override
    {
        ++showSameReads;
        if (onShowSameRead)
            onShowSameRead(showSameReads);
        return showSame;
    }
    QWidget *Window() override { return &mainWindow; }

    DiffEngine engine;
    QWidget mainWindow;
    int showSame = 1;
    // Called at each read of the show-same setting, that is at each pair of
    // identical files, with the number of reads so far: a hook into a run.
    std::function<void(int)> onShowSameRead;
    int showSameReads = 0;
    int closeCalls = 0;
    std::vector<std::pair<std::string, std::string>> compared;
    std::unique_ptr<CFolderCompareDialog> dialog;
};

class FolderWindowTest : public testing::Test {
protected:
    static constexpr std::int64_t kTime = 1600000000;

    void SetUp() override { setenv("LINDO_SETTINGS_FILE", (dir / "settings.ini").c_str(), 1); }

    void TearDown() override
    {
        owner.dialog.reset();
        unsetenv("LINDO_SETTINGS_FILE");
    }

    std::filesystem::path Root(int side) const { return dir / (side == 1 ? "one" : "two"); }
    QString Folder(int side) const { return QString::fromStdString(Root(side).string()); }

    void Put(int side, const std::string &relative, std::string_view bytes, std::int64_t time = kTime)
    {
        const std::filesystem::path path = Root(side) / relative;
        WriteFile(path, bytes);
        const timespec times[2] = {{time, 0}, {time, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }

    // One file of every state but "same time", and a folder only side 2 has.
    void PutMixedTrees()
    {
        Put(1, "same.txt", "equal");
        Put(2, "same.txt", "equal");
        Put(1, "gone.txt", "only here");
        Put(2, "sub/new.txt", "only there");
        Put(1, "newer1.txt", "one", kTime + 10);
        Put(2, "newer1.txt", "two", kTime);
        Put(1, "newer2.txt", "one", kTime);
        Put(2, "newer2.txt", "two", kTime + 10);
    }

    // `count` identical files in both trees: a run with that many steps.
    void PutIdenticalFiles(int count)
    {
        for (int n = 0; n < count; ++n) {
            const std::string name = "f" + std::to_string(10 + n) + ".txt";
            Put(1, name, "same");
            Put(2, name, "same");
        }
    }

    CFolderCompareDialog &Open()
    {
        owner.dialog = std::make_unique<CFolderCompareDialog>(owner);
        owner.dialog->SetPumpInterval(0); // every step handles events: runs stop where the tests say
        owner.dialog->show();
        QApplication::processEvents();
        return *owner.dialog;
    }

    // Both folders, then Go; returns when the run has ended.
    void Go(CFolderCompareDialog &window)
    {
        window.FolderBox(1)->SetText(Folder(1));
        window.FolderBox(2)->SetText(Folder(2));
        window.OnGo();
    }

    // The list as "state<TAB>relative path" lines.
    static std::vector<std::string> Rows(const CFolderCompareDialog &window)
    {
        std::vector<std::string> rows;
        const CFolderListCtrl *list = window.Results();
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = list->topLevelItem(row);
            rows.push_back((item->text(1) + '\t' + item->text(0)).toStdString());
        }
        return rows;
    }

    TempDir dir;
    FakeOwner owner;
};

} // namespace lindo::test
