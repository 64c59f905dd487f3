#include "uikit/choosers.h"

#include <QColorDialog>
#include <QFileDialog>

namespace lindo {

namespace {

// Save mode would label the button "Save" for every caller; most pick files to read.
const QString kOpenLabel = QStringLiteral("Open");
const QString kSaveLabel = QStringLiteral("Save");

class DialogChoosers final : public Choosers {
public:
    std::optional<QString> ChooseFile(const FileChooserRequest &request) override
    {
        QFileDialog dialog(request.parent, request.title, request.initialDirectory);
        // Callers name files to write as well as files to read, so a name that
        // does not exist yet must be accepted. Qt's own dialog takes one in open
        // mode, but the GTK dialog and the desktop portal are told only the
        // mode, and in open mode they accept existing files alone. Save mode
        // lets all three take a new name; DontConfirmOverwrite keeps the
        // choosing free of an overwrite question (Qt's and GTK's dialogs honour
        // it; the portal has no such setting, so its own dialog may still ask).
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setLabelText(QFileDialog::Accept, request.forSaving ? kSaveLabel : kOpenLabel);
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

} // namespace

Choosers &Choosers::Default()
{
    static DialogChoosers choosers;
    return choosers;
}

} // namespace lindo
