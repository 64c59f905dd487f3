#pragma once

// "Merged": a modeless window showing the merge output of the comparison as
// it was when the window opened, as editable text that can be saved.
//
// The owner (the main window) creates it on the heap, shows it with show()
// and is the only one to delete it: on its toggle, in its close sequence, and
// when this window's close box asks it to through CloseMergedWindow (called
// from the event loop, after the close has finished, so a plain delete is
// safe there). Escape closes it as the close box does.

#include "engine/textencoding.h"
#include "merge/mergededitctrl.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QToolBar>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;

namespace lindo {

class CFindBar;
class MergedWindowHost;

namespace merged {
constexpr int kTemplateId = 141;
constexpr int kIconId = 142;
constexpr int kToolBarId = 143;
constexpr int kToolBarControlId = 0xE800;
constexpr int kIdText = 1;
constexpr int kIdPlaceholder = 1010; // never shown; tells the size handler the controls exist
constexpr int kIdLineStatus = 1034;
constexpr int kIdSave = 32781;
constexpr int kIdSaveAs = 32782;

// The template's size in dialog units.
constexpr int kTemplateWidth = 278;
constexpr int kTemplateHeight = 246;
// The line status keeps this many pixels from the right edge.
constexpr int kLineStatusRightGap = 4;

inline const QString kTitle = QStringLiteral("Merged");
inline const QString kLineStatusTemplateText = QStringLiteral("Static");
inline const QString kLineStatusFormat = QStringLiteral("Ln %1");
// Button strings: the text, a newline, the tooltip.
inline const QString kSaveString = QStringLiteral("Save\nSave");
inline const QString kSaveAsString = QStringLiteral("Save As\nSave As");
inline const QString kSaveAsTitle = QStringLiteral("Save As");
inline const QString kErrorCaption = QStringLiteral("Error");
inline const QString kSaveChangesQuestion = QStringLiteral("Save the changes to the merged text?");
inline const QString kCouldNotCreate = QStringLiteral("Could not create file:\n\n");
inline const QString kSavedAsUtf8 =
    QStringLiteral("The merged text holds characters that %1 has no place for, so it was saved as UTF-8.");
inline const QString kIconPath = QStringLiteral(":/icons/lindo.png");
inline const QString kSaveImagePath = QStringLiteral(":/toolbar/save.png");
inline const QString kSaveAsImagePath = QStringLiteral(":/toolbar/saveas.png");
constexpr QSize kButtonImageSize{16, 15};
constexpr int kMaxTooltipLength = 79;
} // namespace merged

// The part of a button string after its first newline, at most 79 characters.
QString TooltipOf(const QString &buttonString);

class CMergedDialog : public QDialog {
    Q_OBJECT

public:
    // Builds the whole window, its text taken from the owner's engine now.
    explicit CMergedDialog(MergedWindowHost &owner);
    ~CMergedDialog() override;

    void LoadMergedText();
    // Writes the text area to path; false after telling the user why not.
    bool SaveMergedText(const QString &path);
    // Before the window and its text go: when the text holds edits no save
    // has written, asks whether to save them. True when the window may go
    // (saved, discarded, or nothing to lose); false keeps it.
    bool OfferToSaveEdits();
    // Edits no save has written, and their text's bytes handed to a sink in
    // pieces (see CMergedEditCtrl::StreamOut): for keeping them when there is
    // no asking.
    bool HasUnsavedEdits() const { return m_wndText.IsEdited(); }
    // The bytes are those a save would write.
    bool StreamTextOut(const std::function<bool(std::string_view)> &sink);
    void UpdateLineStatus();
    void RepositionControls();
    void RestoreWindowPos();
    void SaveWindowPos();
    CFindBar *FindBar() const { return m_findBar; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The close box, Alt+F4 and Escape: asks about unsaved edits first.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void OnCreate();
    void CreateToolBar();
    void CreateTemplateControls();
    void OnInitDialog();
    void DoDataExchange();
    std::string DefaultMergeTarget() const;
    void OnSave();
    void OnSaveAs();
    bool WriteMergedText(const std::string &path);
    // The text as the merge's file holds it: its line breaks the merge's
    // line end, in its encoding with its BOM; in UTF-8 without a BOM when a
    // character has no place there (fellBack).
    std::string FileBytes(bool &fellBack);
    // WriteMergedText, after asking before an existing file is replaced.
    bool SaveMergeTo(const std::string &path);
    // Ctrl+F: a find bar under the text.
    void CreateFindBar();
    void OnFind(bool forward, bool again);

    QString m_strLineStatus;
    QIcon m_hIcon;
    CMergedEditCtrl m_wndText;
    MergedWindowHost *m_pOwner;
    // The files the text was merged from, as they were when the window opened.
    std::vector<std::string> m_sourceFiles;
    // How the merge is written (the text holds it as UTF-8 with CR LF line
    // breaks): in the encoding and with the line end the merge to a file
    // takes from the files it came from.
    TextEncoding m_encoding;
    bool m_crLf = true;
    // The file the last save wrote, which a later save replaces without asking.
    std::string m_savedPath;
    QToolBar m_wndToolBar;
    QLabel *m_staticLineStatus = nullptr; // control 1034, a child
    QLineEdit *m_editPlaceholder = nullptr; // control 1010, a child
    CFindBar *m_findBar = nullptr; // a child, hidden until Ctrl+F
    // Where typing in the find bar searches from, and the selection the last
    // search made (none since the bar opened).
    TextPos m_typingFrom;
    std::optional<std::pair<TextPos, TextPos>> m_lastFound;
};

} // namespace lindo
