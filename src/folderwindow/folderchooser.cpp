#include "folderwindow/folderchooser.h"

#include "uikit/choosers.h"

namespace lindo {

bool FolderChooser::Browse()
{
    FolderChooserRequest request;
    request.parent = nullptr; // the chooser belongs to no window
    request.title = m_strTitle.isEmpty() ? kDefaultTitle : m_strTitle;
    request.initialFolder = m_strInitial;
    const std::optional<QString> folder = Choosers::Current().ChooseFolder(request);
    if (!folder || folder->isEmpty())
        return false;
    m_strResult = *folder;
    return true;
}

} // namespace lindo
