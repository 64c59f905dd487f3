#pragma once

// The platform's modal choosers (files, folders, colours) behind one small
// interface, so tests can answer them the way they answer prompts.

#include "uikit/serviceslot.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace lindo {

struct FileChooserRequest {
    QWidget *parent = nullptr;
    QString title;
    QString initialDirectory; // empty: the platform's default folder
    QStringList filters;      // name filters in Qt's "Name (patterns)" form
    int selectedFilter = 0;
    // The chooser picks a file to write: its button says "Save", not "Open".
    bool forSaving = false;
};

struct FolderChooserRequest {
    QWidget *parent = nullptr;
    QString title;
    QString initialFolder;
};

struct ColourChooserRequest {
    QWidget *parent = nullptr;
    QColor initial;
};

class Choosers : public ServiceSlot<Choosers> {
public:
    virtual ~Choosers() = default;
    // A file chooser: the chosen file need not exist and no overwrite
    // question is asked. Nothing when the user cancels.
    virtual std::optional<QString> ChooseFile(const FileChooserRequest &request) = 0;
    virtual std::optional<QString> ChooseFolder(const FolderChooserRequest &request) = 0;
    virtual std::optional<QColor> ChooseColour(const ColourChooserRequest &request) = 0;

private:
    friend class ServiceSlot<Choosers>;
    // The choosers in use when none are installed: Qt's dialogs.
    static Choosers &Default();
};

} // namespace lindo
