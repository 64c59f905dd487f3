#pragma once

// Merged text the program could not ask about before it was ended (by
// SIGTERM, SIGHUP or SIGINT, or a session that ended without questions) is kept in a
// file of the state folder ($XDG_STATE_HOME/lindo, by default
// ~/.local/state/lindo), readable by its owner alone, and offered at the
// next start.

#include <QString>

#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace lindo {

inline const QString kRecoveredTextFormat =
    QStringLiteral("Merged text that was not saved when lindo last ended is kept in\n%1\n\n"
                   "Save it to a file now? (No keeps it there for the next start.)");
inline const QString kRecoveredSaveTitle = QStringLiteral("Save the kept merged text");

std::string RecoveryFilePath();

// Writes the bytes that `streamOut` hands to its sink (in pieces, until it
// returns false) to the recovery file, whole or not at all. No questions:
// this runs while the program is being ended.
bool WriteRecoveryFile(const std::function<bool(const std::function<bool(std::string_view)> &)> &streamOut);

// When a recovery file is there, asks whether to save it elsewhere now;
// saved, it is removed.
void OfferRecoveredText(QWidget *parent);

} // namespace lindo
