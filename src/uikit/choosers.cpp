#include "uikit/choosers.h"

#include <QColorDialog>
#include <QFileDialog>

namespace lindo {

namespace {

class DialogChoosers final : public Choosers {
public:
    std::optional<QString> ChooseFile(const FileChooserRequest &request) override
    {
        QFileDialog dialog(request.parent, request.title, request.initialDirectory);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile); // a file that does not exist yet is accepted
        dialog.setNameFilters(request.filters);
        if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
            dialog.selectNameFilter(request.filters.at(request.selectedFilter));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    std::optional<QString> ChooseFolder(const FolderChooserRequest &request) override
    {
        const QString folder = QFileDialog::getExistingDirectory(request.parent, request.title, request.initialFolder);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }

    std::optional<QColor> ChooseColour(const ColourChooserRequest &request) override
    {
        const QColor colour = QColorDialog::getColor(request.initial, request.parent);
        if (!colour.isValid())
            return std::nullopt;
        return colour;
    }
};

DialogChoosers &DefaultChoosers()
{
    static DialogChoosers choosers;
    return choosers;
}

Choosers *&InstalledChoosers()
{
    static Choosers *installed = nullptr;
    return installed;
}

} // namespace

Choosers &Choosers::Current()
{
    Choosers *installed = InstalledChoosers();
    return installed ? *installed : DefaultChoosers();
}

void Choosers::Install(Choosers *choosers)
{
    InstalledChoosers() = choosers;
}

} // namespace lindo
