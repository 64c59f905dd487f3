#pragma once

// The main window's Settings command: fills the Settings sheet from the
// engine and the store, runs it modally, and only when the user confirms
// takes the values back, stores or applies them, and repaints both panes.

namespace lindo {

class DiffEngine;
class SettingsCommandHost;

// True when the sheet was confirmed.
bool RunSettingsCommand(SettingsCommandHost &host);

// Puts the stored options of the Compare page into the engine; absent ones
// stay off. The main window calls it at start-up.
void LoadCompareOptions(DiffEngine &engine);

} // namespace lindo
