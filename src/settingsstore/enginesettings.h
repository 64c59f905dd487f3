#pragma once

// The one way stored values reach the engine, and the engine's values go back
// into the store: the main window at start-up and close, the Settings command
// and the headless folder comparison all pass through here, so they read
// alike. Absent or unreadable values give the defaults of settingsnames.h.

#include "engine/linekey.h"

#include <string>

namespace lindo {

class DiffEngine;
class SettingsStore;

// Everything the main window keeps of the engine between runs. Of the
// three colours, one absent resets all three; absent Compare switches are off.
void LoadEngineSettings(DiffEngine &engine, const SettingsStore &store);
// The exception strings and the colours; their switch and the Compare page's
// options are stored when the Settings sheet is confirmed.
void SaveEngineSettings(const DiffEngine &engine, const SettingsStore &store);

// The exception strings (added to those the engine holds) and their switch.
void LoadExceptionStrings(DiffEngine &engine, const SettingsStore &store);
void LoadExceptionStringsEnabled(DiffEngine &engine, const SettingsStore &store);
void TakeExceptionStringsEnabled(DiffEngine &engine, bool enabled, const SettingsStore &store);

// Puts the Compare page's switches into the engine (the key options for its
// next load) and the store; true when the key options changed, so the
// comparison on screen is out of date. A stored value is written only when it
// differs from the one given (absent reads as off), so a run that never turns
// these on leaves the store as it was.
bool TakeCompareOptions(DiffEngine &engine, bool showLineChanges, const LineKeyOptions &keyOptions,
                        const SettingsStore &store);

// Puts the Compare page's fallback encoding (a name as typed; one the system
// does not know is the default) into the engine and, when it differs from
// the stored one (absent reads as the default), the store. True when the
// engine's changed, so the comparison on screen may be out of date.
bool TakeFallbackEncoding(DiffEngine &engine, const std::string &name, const SettingsStore &store);

} // namespace lindo
