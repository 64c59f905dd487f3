#pragma once

// A main window stand-in for the Settings command: it owns an engine and a
// parent window, answers the merge-directory and folder-option reads from
// its own fields, and records every call together with what the engine and
// the store held at that moment, so tests can check the order of the steps.

#include "engine/diffengine.h"
#include "settingssheet/settingscommandhost.h"
#include "settingssheet/sharedengine.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace lindo::test {

// What the engine and the store held when the host was called.
struct HostSnapshot {
    std::int32_t showSelections = 0;
    std::int32_t autoSelect = 0;
    std::int32_t exceptionStringsEnabled = 0;
    std::vector<std::string> exceptionStrings;
    Colour colorIdentical = 0;
    Colour colorDifferent = 0;
    Colour colorInserted = 0;
    std::optional<std::int32_t> storedShowSame;
    std::optional<std::int32_t> storedExStrEnabled;
    std::int32_t showLineChanges = 0;
};

struct HostCall {
    std::string name;     // "GetMergeDirectory", "EnsureMergeFolder", ...
    QString argument;     // the folder of EnsureMergeFolder
    HostSnapshot state;
};

class FakeSettingsHost final : public SettingsCommandHost {
public:
    FakeSettingsHost() { SetSharedEngine(&engine); }
    ~FakeSettingsHost() override { SetSharedEngine(nullptr); }

    QWidget *Window() override { return &window; }
    DiffEngine &Engine() override { return engine; }
    QString GetMergeDirectory() override
    {
        Record("GetMergeDirectory");
        return mergeDirectory;
    }
    void EnsureMergeFolder(const QString &folder) override
    {
        Record("EnsureMergeFolder", folder);
        mergeDirectory = folder;
    }
    int ReadFoldersShowSame() override
    {
        Record("ReadFoldersShowSame");
        return SettingsStore()
            .ReadNumber(settings::kFoldersShowSame)
            .value_or(settings::kDefaultFoldersShowSame);
    }
    void RepaintPanes() override { Record("RepaintPanes"); }
    void CompareAgain() override { Record("CompareAgain"); }

    std::vector<std::string> CallNames() const
    {
        std::vector<std::string> names;
        for (const HostCall &call : calls)
            names.push_back(call.name);
        return names;
    }
    const HostCall *FindCall(const std::string &name) const
    {
        for (const HostCall &call : calls) {
            if (call.name == name)
                return &call;
        }
        return nullptr;
    }

    QWidget window;
    DiffEngine engine;
    QString mergeDirectory;
    std::vector<HostCall> calls;

private:
    void Record(const char *name, const QString &argument = {})
    {
        const SettingsStore store;
        calls.push_back({name, argument,
                         {engine.showSelections, engine.autoSelect,
                          engine.exceptionStringsEnabled, engine.exceptionStrings,
                          engine.colorIdentical, engine.colorDifferent, engine.colorInserted,
                          store.ReadNumber(settings::kFoldersShowSame),
                          store.ReadNumber(settings::kFoldersExStrEnabled),
                          engine.showLineChanges}});
    }
};

} // namespace lindo::test
