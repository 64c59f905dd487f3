#pragma once

// The main window's Settings command: fills the Settings sheet from the
// engine and the store, runs it modally, and only when the user confirms
// takes the values back, stores or applies them, and repaints both panes.

namespace lindo {

class SettingsCommandHost;

// True when the sheet was confirmed.
bool RunSettingsCommand(SettingsCommandHost &host);

} // namespace lindo
