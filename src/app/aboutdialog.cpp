#include "app/aboutdialog.h"

#include "cli/version.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/linklauncher.h"
#include "uikit/prompt.h"
#include "uikit/templatecontrols.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

namespace lindo {

CAboutDialog::CAboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_linkAuthor(this)
    , m_linkWeb(this)
{
    setWindowTitle(QString::fromLatin1(kAboutTitle));
    setFont(DialogFont());
    setFixedSize(DluSize(189, 90));
    CreateControls();
    OnInitDialog();
}

CAboutDialog::~CAboutDialog() = default;

void CAboutDialog::CreateControls()
{
    // The icon stays hidden: the picture is painted in its place.
    auto *icon = new QLabel(this);
    icon->setObjectName(QString::fromLatin1(kAboutIconName));
    icon->setPixmap(QPixmap(QString::fromLatin1(kAboutIconPath)));
    icon->setGeometry(DluRect(11, 17, 21, 20));
    icon->hide();

    m_editVersion = new QPlainTextEdit(this);
    SetControlId(m_editVersion, kAboutVersionEditId);
    m_editVersion->setAccessibleName(QStringLiteral("Version"));
    m_editVersion->setReadOnly(true);
    m_editVersion->setFrameShape(QFrame::NoFrame);
    m_editVersion->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editVersion->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editVersion->document()->setDocumentMargin(0);
    // A read-only edit sits on the dialog's background like the statics.
    QPalette colours = m_editVersion->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    m_editVersion->setPalette(colours);
    m_editVersion->setGeometry(DluRect(72, 7, 110, 12));

    AddStatic(this, QString::fromLatin1(kAboutCreatedByText), DluRect(72, 17, 37, 8));

    // The links were made before the other controls; raising each in its
    // template place keeps the template's stacking, in which the version
    // edit's last pixel rows lie under the author link.
    SetControlId(&m_linkAuthor, kAboutAuthorLinkId);
    m_linkAuthor.setText(QString::fromLatin1(kAboutAuthorPlaceholder));
    m_linkAuthor.setGeometry(DluRect(109, 17, 44, 8));
    m_linkAuthor.raise();

    SetControlId(&m_linkWeb, kAboutWebLinkId);
    m_linkWeb.setText(QString::fromLatin1(kAboutWebPlaceholder));
    m_linkWeb.setGeometry(DluRect(72, 27, 110, 8));
    m_linkWeb.raise();

    AddStatic(this, QString::fromLatin1(kAboutFreeText), DluRect(72, 45, 110, 11));
    AddStatic(this, QString::fromLatin1(kAboutCommentsText), DluRect(72, 55, 102, 8));

    QPushButton *mail = AddButton(this, kAboutMailButtonId, QString::fromLatin1(kAboutMailButtonText),
                                  DluRect(111, 69, 32, 14));
    mail->hide();
    connect(mail, &QPushButton::clicked, this, &CAboutDialog::OnMailMe);

    QPushButton *ok = AddDefaultButton(this, kAboutOkButtonId, QString::fromLatin1(kAboutOkText),
                                       DluRect(150, 69, 32, 14));
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CAboutDialog::AttachLinks()
{
    m_linkAuthor.PreSubclassWindow();
    m_linkWeb.PreSubclassWindow();
}

void CAboutDialog::DoDataExchange()
{
    m_editVersion->setPlainText(m_strVersion);
}

void CAboutDialog::OnInitDialog()
{
    AttachLinks();
    m_strVersion = QString::fromLatin1(kVersionLine);

    const QString webAddress = QString::fromLatin1(kAuthorWebAddress);
    m_linkWeb.SetLinkCaption(webAddress);
    m_linkWeb.SetLinkTarget(webAddress);

    m_linkAuthor.SetLinkCaption(QString::fromLatin1(kAuthorName));
    m_linkAuthor.SetLinkTarget(QString::fromLatin1(kAuthorMailAddress));

    DoDataExchange();
}

void CAboutDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.drawPixmap(kAboutPictureOrigin, QPixmap(QString::fromLatin1(kAboutPicturePath)));
}

void CAboutDialog::OnMailMe()
{
    const QString address = QString::fromLatin1(kCommentsMailAddress);
    QUrl mail(QStringLiteral("mailto:") + address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QString::fromLatin1(kCommentsMailSubject));
    mail.setQuery(query);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = LinkLauncher::Current().OpenUrl(mail);
    QApplication::restoreOverrideCursor();
    if (!opened)
        Ask(this, ApplicationTitle(), QString::fromLatin1(kMailFailedText) + address,
            PromptIcon::None);
}

} // namespace lindo
