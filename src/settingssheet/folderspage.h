#pragma once

// The Folders page: the folder comparison's two options and its list of
// exception strings. Unlike the other pages it hands its list on itself: on
// confirmation it replaces the engine's exception strings with its items.

#include "settingssheet/propertypage.h"

#include <QTreeWidget>

class QCheckBox;
class QPushButton;

namespace lindo {

class CMultiLineCheckBox;

namespace folderspage {
inline constexpr int kTemplateId = 139;
inline constexpr int kIdShowSame = 1035;
inline constexpr int kIdExceptions = 1036;
inline constexpr int kIdAdd = 1037;
inline constexpr int kIdRemove = 1038;
inline constexpr int kIdUseExceptions = 1039;
inline const QString kCaption = QStringLiteral("Folders");
inline const QString kShowSameText = QStringLiteral("Show files that are the same.");
inline const QString kUseExceptionsText = QStringLiteral(
    "Compared files with any of these strings in their relative paths will not be listed.");
inline const QString kAddText = QStringLiteral("Add");
inline const QString kRemoveText = QStringLiteral("Remove");
inline const QString kColumnText = QStringLiteral("Exception strings");
inline constexpr int kColumnWidth = 190; // pixels
inline const QString kNewItemText = QStringLiteral("New item");
} // namespace folderspage

class CFoldersPage : public CPropertyPage {
    Q_OBJECT

public:
    CFoldersPage();

    // Replaces the engine's exception strings with the list's labels, top to bottom.
    void OnOK() override;

    QTreeWidget m_wndExceptions; // one item per exception string
    bool m_bShowSame = false;      // list files that are the same
    bool m_bUseExceptions = false; // leave out paths containing an exception string

protected:
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;

private:
    void ApplyEnableRule();
    void OnAdd();
    void OnRemove();

    QCheckBox *m_checkShowSame = nullptr;             // child of the page
    CMultiLineCheckBox *m_checkUseExceptions = nullptr; // child of the page
    QPushButton *m_buttonAdd = nullptr;               // child of the page
    QPushButton *m_buttonRemove = nullptr;            // child of the page
};

} // namespace lindo
