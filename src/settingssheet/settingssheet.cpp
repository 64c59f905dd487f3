#include "settingssheet/settingssheet.h"

namespace lindo {

CSettingsSheet::CSettingsSheet(const QString &caption, QWidget *parent, int startPage)
    : CPropertySheet(caption, parent, startPage)
{
}

} // namespace lindo
