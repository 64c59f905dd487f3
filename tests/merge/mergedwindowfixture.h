#pragma once

// A stand-in for the main window as the Merged window sees it, and a fixture
// that keeps the settings in a temporary folder and answers every prompt and
// chooser.

#include "engine/diffengine.h"
#include "merge/mergeddialog.h"
#include "merge/mergedwindowhost.h"
#include "support/fakechoosers.h"
#include "support/linktestdoubles.h"
#include "support/testfiles.h"
#include "uikit/controlid.h"

#include <QCoreApplication>
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace lindo::test {

class FakeMainWindow final : public MergedWindowHost {
public:
    DiffEngine &Engine() override { return engine; }
    std::string MergeTargetFor(const std::string & /*firstFile*/) override
    {
        return targetBytes.empty() ? target.toLocal8Bit().toStdString() : targetBytes;
    }
    std::vector<std::string> ComparedFiles() override { return compared; }
    void CloseMergedWindow() override
    {
        ++closeCalls;
        window.reset();
    }

    // The merge-to-screen toggle.
    void ToggleMergedWindow()
    {
        if (window) {
            CloseMergedWindow();
            return;
        }
        window = std::make_unique<CMergedDialog>(*this);
        window->show();
    }

    // Compares two texts as files with these bytes would be compared.
    void Compare(std::string_view first, std::string_view second)
    {
        engine.LoadTexts(first, second);
        engine.Compare();
    }

    // What the engine's merge output is now.
    // The merge as the Merged window holds it: UTF-8 text with CR LF line breaks.
    std::string ShownBytes()
    {
        engine.BuildMergeList();
        std::ostringstream bytes;
        engine.WriteMergeTextAsUtf8(bytes, true);
        return bytes.str();
    }

    std::string MergeBytes()
    {
        engine.BuildMergeList();
        std::ostringstream bytes;
        engine.WriteMergeText(bytes);
        return bytes.str();
    }

    DiffEngine engine;
    QString target;
    std::string targetBytes; // in place of target when not empty: a name that is not text
    std::vector<std::string> compared;
    int closeCalls = 0;
    std::unique_ptr<CMergedDialog> window;
};

class MergedWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char *old = std::getenv(kVariable))
            m_oldSettings = old;
        setenv(kVariable, (dir / "settings.ini").c_str(), 1);
        owner.target = QString::fromStdString((dir / "merged.txt").string());
    }

    void TearDown() override
    {
        owner.window.reset();
        if (m_oldSettings)
            setenv(kVariable, m_oldSettings->c_str(), 1);
        else
            unsetenv(kVariable);
    }

    // Opens the window on a comparison and lets it take in all its text.
    CMergedDialog &Open(std::string_view first, std::string_view second)
    {
        owner.Compare(first, second);
        owner.ToggleMergedWindow();
        TextArea().FinishStreamingIn();
        return *owner.window;
    }

    CMergedEditCtrl &TextArea() { return *FindControl<CMergedEditCtrl>(owner.window.get(), merged::kIdText); }
    QLabel &LineStatus() { return *FindControl<QLabel>(owner.window.get(), merged::kIdLineStatus); }
    QToolButton &Button(int id) { return *FindControl<QToolButton>(owner.window.get(), id); }

    // Runs what the event loop has queued, such as the close box's call to the owner.
    static void DrainEvents() { QCoreApplication::processEvents(); }

    static constexpr char kVariable[] = "LINDO_SETTINGS_FILE";
    TempDir dir;
    FakeMainWindow owner;
    ScriptedPrompter prompter;
    FakeChoosers choosers;

private:
    std::optional<std::string> m_oldSettings;
};

} // namespace lindo::test
