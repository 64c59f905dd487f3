#pragma once

// The Settings sheet: the program's options on five pages (General, Merge,
// Folders, Colours, Compare), run modally by the main window's Settings command.

#include "settingssheet/propertysheet.h"

namespace lindo {

namespace settingssheet {
inline const QString kCaption = QStringLiteral("Settings");
} // namespace settingssheet

class CSettingsSheet : public CPropertySheet {
    Q_OBJECT

public:
    CSettingsSheet(const QString &caption, QWidget *parent, int startPage = 0);
};

} // namespace lindo
