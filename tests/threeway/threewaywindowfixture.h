#pragma once

// Opens the Three-way Merge window on texts, with the settings in a
// temporary folder and every prompt and chooser answered.

#include "support/fakechoosers.h"
#include "support/scriptedprompter.h"
#include "support/testfiles.h"
#include "threeway/threewaydialog.h"
#include "threeway/threewayids.h"
#include "uikit/controlid.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace lindo::test {

class ThreeWayWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char *old = std::getenv(kVariable))
            m_oldSettings = old;
        setenv(kVariable, (dir / "settings.ini").c_str(), 1);
    }

    void TearDown() override
    {
        window.reset();
        if (m_oldSettings)
            setenv(kVariable, m_oldSettings->c_str(), 1);
        else
            unsetenv(kVariable);
    }

    // Opens the window on FILE1, BASE and FILE2 held in memory, labelled
    // "one", "base" and "two"; Save writes `out` (empty: it asks).
    CThreeWayDialog &Open(std::string_view first, std::string_view base, std::string_view second,
                          const std::string &out)
    {
        ThreeWayText text;
        text.Load({first, base, second}, {"one", "base", "two"});
        return Show(std::move(text), out);
    }

    // Opens the window on the files, read as the command line reads them.
    CThreeWayDialog &OpenFiles(const std::array<std::string, 3> &paths, const std::string &out)
    {
        ThreeWayText text;
        EXPECT_EQ(text.Read(paths), "");
        return Show(std::move(text), out);
    }

    CThreeWayDialog &Show(ThreeWayText text, const std::string &out)
    {
        window = std::make_unique<CThreeWayDialog>(std::move(text), out);
        window->show();
        // Shortcuts reach only the active window.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    CMergedEditCtrl &Result() { return *FindControl<CMergedEditCtrl>(window.get(), threeway::kIdResult); }
    std::string Status() { return FindControl<QLabel>(window.get(), threeway::kIdStatus)->text().toStdString(); }
    QToolButton &Button(int id) { return *FindControl<QToolButton>(window.get(), id); }
    void Key(int key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(&Result(), static_cast<Qt::Key>(key), modifiers); }
    std::string OutPath() { return (dir / "out.txt").string(); }

    static constexpr char kVariable[] = "LINDO_SETTINGS_FILE";
    TempDir dir;
    ScriptedPrompter prompter;
    FakeChoosers choosers;
    std::unique_ptr<CThreeWayDialog> window;

private:
    std::optional<std::string> m_oldSettings;
};

} // namespace lindo::test
