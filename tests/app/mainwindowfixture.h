#pragma once

// A main window over its own settings file and sample files in a fresh
// temporary folder, with prompts answered by a ScriptedPrompter.

#include "app/comparedialog.h"
#include "app/comparedialogids.h"
#include "settingsstore/settingsstore.h"
#include "support/scriptedprompter.h"
#include "support/testfiles.h"
#include "uikit/pathcombobox.h"
#include "view/diffview.h"

#include <QAction>
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace lindo::test {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("LINDO_SETTINGS_FILE", Path("settings.ini").c_str(), 1);
        WriteFile(dir / "one.txt", "alpha\nbeta\ngamma\ndelta\n");
        WriteFile(dir / "two.txt", "alpha\nBETA\ngamma\ndelta\nepsilon\n");
    }

    void TearDown() override
    {
        window.reset();
        unsetenv("LINDO_SETTINGS_FILE");
    }

    std::string Path(const char *name) const { return (dir / name).string(); }
    QString QPath(const char *name) const { return QString::fromStdString(Path(name)); }

    CCompareDialog &Open()
    {
        window = std::make_unique<CCompareDialog>();
        window->show();
        QApplication::processEvents();
        return *window;
    }

    void Trigger(int command)
    {
        QAction *action = window->CommandAction(command);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
        QApplication::processEvents();
    }

    void CompareFiles(const char *first, const char *second)
    {
        window->FirstPathBox()->SetText(QPath(first));
        window->SecondPathBox()->SetText(QPath(second));
        Trigger(mainwindow::kCmdCompare);
    }

    QStringList History(const CPathComboBox *box) const
    {
        QStringList entries;
        for (int index = 0; index < box->count(); ++index)
            entries.push_back(box->itemText(index));
        return entries;
    }

    TempDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<CCompareDialog> window;
};

} // namespace lindo::test
