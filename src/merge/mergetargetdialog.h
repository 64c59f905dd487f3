#pragma once

// "About to merge to:": the prompt that confirms (or lets the user change)
// the merge output path before the merge is written to a file.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace lindo {

namespace mergetarget {
constexpr int kTemplateId = 136;
constexpr int kIdPath = 1022;
constexpr int kIdBrowse = 1021;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
inline const QString kTitle = QStringLiteral("Merge");
inline const QString kPrompt = QStringLiteral("About to merge to:");
} // namespace mergetarget

class CMergeTargetDialog : public QDialog {
    Q_OBJECT
public:
    explicit CMergeTargetDialog(QWidget *parent = nullptr);

    // Set before the dialog runs; read after OK.
    QString m_strPath;

    int exec() override;
    void accept() override;

private:
    void OnBrowse();
    // Field to control, or control to field.
    void DoDataExchange(bool save);

    QLineEdit *m_editPath = nullptr;
};

} // namespace lindo
