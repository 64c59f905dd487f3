#pragma once

// The About box: the program's picture, its version line, a credit line with
// the author as a mail link, the author's web address as a link and two fixed
// sentences. It changes nothing else.

#include "uikit/hyperlink.h"

#include <QDialog>
#include <QPoint>
#include <QString>

class QPlainTextEdit;

namespace lindo {

inline constexpr int kAboutTemplateId = 100;
inline constexpr int kAboutVersionEditId = 1018;
inline constexpr int kAboutAuthorLinkId = 1057;
inline constexpr int kAboutWebLinkId = 1056;
inline constexpr int kAboutMailButtonId = 1040;
inline constexpr int kAboutOkButtonId = 1;

inline constexpr char kAboutTitle[] = "About Lindo";
inline constexpr char kAboutCreatedByText[] = "Created by ";
inline constexpr char kAboutFreeText[] = "This program is free.";
inline constexpr char kAboutCommentsText[] = "Please send me your comments.";
inline constexpr char kAboutMailButtonText[] = "Mail me";
inline constexpr char kAboutOkText[] = "OK";
// What the two link statics show until initialisation replaces it.
inline constexpr char kAboutAuthorPlaceholder[] = "Author";
inline constexpr char kAboutWebPlaceholder[] = "https://";

inline constexpr char kAuthorName[] = "The Lindo developers";
inline constexpr char kAuthorWebAddress[] = "https://lindo.example.org/";
inline constexpr char kAuthorMailAddress[] = "lindo@example.org";
inline constexpr char kCommentsMailAddress[] = "lindo@example.org";
inline constexpr char kCommentsMailSubject[] = "lindo";
inline constexpr char kMailFailedText[] = "Mail call failed. Send to: ";

inline constexpr char kAboutPicturePath[] = ":/images/about.png";
inline constexpr char kAboutIconPath[] = ":/icons/lindo.png";
inline constexpr QPoint kAboutPictureOrigin{5, 4};
// The icon static has no identifier of its own; tests find it by this name.
inline constexpr char kAboutIconName[] = "aboutIcon";

class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget *parent = nullptr);
    ~CAboutDialog() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void CreateControls();
    void AttachLinks();
    void DoDataExchange();
    void OnInitDialog();
    void OnMailMe();

    CHyperLink m_linkAuthor;
    QString m_strVersion;
    CHyperLink m_linkWeb;
    QPlainTextEdit *m_editVersion = nullptr; // child of the dialog
};

} // namespace lindo
