#include "settingsstore/enginesettings.h"

#include "engine/diffengine.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

#include <QStringList>

#include <optional>

namespace lindo {

namespace {

// The switches that decide which lines are equal, by stored name.
struct KeySwitch {
    const char *name;
    bool LineKeyOptions::*option;
};

constexpr KeySwitch kKeySwitches[] = {
    {settings::kIgnoreSpaceChange, &LineKeyOptions::ignoreSpaceChange},
    {settings::kIgnoreAllSpace, &LineKeyOptions::ignoreAllSpace},
    {settings::kIgnoreCase, &LineKeyOptions::ignoreCase},
};

bool StoredSwitch(const SettingsStore &store, const char *name)
{
    return store.ReadNumber(name).value_or(0) != 0;
}

void StoreSwitch(const SettingsStore &store, const char *name, bool on)
{
    if (StoredSwitch(store, name) != on)
        store.WriteNumber(name, on ? 1 : 0);
}

void LoadColours(DiffEngine &engine, const SettingsStore &store)
{
    const char *const names[] = {settings::kColorIdentical, settings::kColorDifferent, settings::kColorInserted};
    Colour *const colours[] = {&engine.colorIdentical, &engine.colorDifferent, &engine.colorInserted};
    QStringList texts;
    for (const char *name : names) {
        const std::optional<QString> text = store.ReadText(name);
        if (!text)
            break;
        texts.push_back(*text);
    }
    if (texts.size() == 3) {
        for (int n = 0; n < 3; ++n)
            *colours[n] = static_cast<Colour>(SettingsStore::DecimalValue(texts[n].toLocal8Bit().toStdString()));
        return;
    }
    engine.colorIdentical = DiffEngine::defaultColorIdentical;
    engine.colorDifferent = DiffEngine::defaultColorDifferent;
    engine.colorInserted = DiffEngine::defaultColorInserted;
}

std::string StoredFallbackEncoding(const SettingsStore &store)
{
    const std::optional<QString> name = store.ReadText(settings::kFallbackEncoding);
    return FallbackName(name ? name->toStdString() : std::string(kDefaultFallbackEncoding));
}

void LoadCompareOptions(DiffEngine &engine, const SettingsStore &store)
{
    engine.showLineChanges = StoredSwitch(store, settings::kShowLineChanges) ? 1 : 0;
    for (const KeySwitch &key : kKeySwitches)
        engine.keyOptions.*key.option = StoredSwitch(store, key.name);
    engine.fallbackEncoding = StoredFallbackEncoding(store);
}

} // namespace

void LoadEngineSettings(DiffEngine &engine, const SettingsStore &store)
{
    LoadExceptionStrings(engine, store);
    LoadColours(engine, store);
    LoadCompareOptions(engine, store);
}

void SaveEngineSettings(const DiffEngine &engine, const SettingsStore &store)
{
    store.WriteText(settings::kFoldersExceptionStrings, QString::fromLocal8Bit(engine.GetExceptionStringsText()));
    store.WriteNumber(settings::kColorIdentical, static_cast<std::int32_t>(engine.colorIdentical));
    store.WriteNumber(settings::kColorDifferent, static_cast<std::int32_t>(engine.colorDifferent));
    store.WriteNumber(settings::kColorInserted, static_cast<std::int32_t>(engine.colorInserted));
}

void LoadExceptionStrings(DiffEngine &engine, const SettingsStore &store)
{
    const std::optional<QString> text = store.ReadText(settings::kFoldersExceptionStrings);
    engine.SetExceptionStrings(text ? text->toLocal8Bit().toStdString()
                                    : std::string(settings::kDefaultFoldersExceptionStrings));
    LoadExceptionStringsEnabled(engine, store);
}

void LoadExceptionStringsEnabled(DiffEngine &engine, const SettingsStore &store)
{
    engine.exceptionStringsEnabled =
        store.ReadNumber(settings::kFoldersExStrEnabled).value_or(settings::kDefaultFoldersExStrEnabled);
}

void TakeExceptionStringsEnabled(DiffEngine &engine, bool enabled, const SettingsStore &store)
{
    store.WriteNumber(settings::kFoldersExStrEnabled, enabled ? 1 : 0);
    engine.exceptionStringsEnabled = enabled ? 1 : 0;
}

bool TakeCompareOptions(DiffEngine &engine, bool showLineChanges, const LineKeyOptions &keyOptions,
                        const SettingsStore &store)
{
    const bool matchingChanged = !(engine.keyOptions == keyOptions);
    engine.showLineChanges = showLineChanges ? 1 : 0;
    engine.keyOptions = keyOptions;
    StoreSwitch(store, settings::kShowLineChanges, showLineChanges);
    for (const KeySwitch &key : kKeySwitches)
        StoreSwitch(store, key.name, keyOptions.*key.option);
    return matchingChanged;
}

bool TakeFallbackEncoding(DiffEngine &engine, const std::string &name, const SettingsStore &store)
{
    const std::string fallback = FallbackName(name);
    const bool changed = fallback != engine.fallbackEncoding;
    engine.fallbackEncoding = fallback;
    if (StoredFallbackEncoding(store) != fallback)
        store.WriteText(settings::kFallbackEncoding, QString::fromStdString(fallback));
    return changed;
}

} // namespace lindo
