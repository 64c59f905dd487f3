#pragma once

// Shows, read-only, what the comparison knows about one section of one side:
// its number, its status, its first line and where it stands in the other
// file. Opened modally from a comparison pane's context menu.

#include <QDialog>

namespace lindo {

class DiffEngine;

// Template 131 and its controls.
inline constexpr int kSectionPropertiesTemplate = 131;
inline constexpr int kIdSectionTab = 1012;
inline constexpr int kIdSectionNumber = 1011;
inline constexpr int kIdSectionStatus = 1006;
inline constexpr int kIdSectionFirstLine = 1010;
inline constexpr int kIdSectionLink = 1007;
inline constexpr int kIdSectionClose = 1;  // the default button
inline constexpr int kIdSectionCancel = 2; // hidden; Escape and the close box end the dialog through it

inline constexpr char kSectionPropertiesTitle[] = "Properties";
inline constexpr char kSectionTabText[] = "Section";
inline constexpr char kSectionStatusMatching[] = "Matching";
inline constexpr char kSectionStatusDifferent[] = "Different";
inline constexpr char kSectionStatusOnlyHere[] = "Only in this file";
inline constexpr char kSectionLinkAbove[] = "above %1";
inline constexpr char kSectionLinkEnd[] = "end";

class CSectionPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    // The engine is read once, here; it is not owned.
    CSectionPropertiesDialog(const DiffEngine *engine, int side, int section, QWidget *parent = nullptr);

private:
    void CreateControls();
    void OnInitDialog();

    const DiffEngine *m_pEngine;
    int m_nSide;
    int m_nSection;
};

} // namespace lindo
