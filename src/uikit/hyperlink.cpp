#include "uikit/hyperlink.h"

#include "uikit/launcherror.h"
#include "uikit/launchtarget.h"
#include "uikit/linklauncher.h"
#include "uikit/prompt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lindo {

std::optional<Qt::CursorShape> CHyperLink::s_hHandCursor;

CHyperLink::CHyperLink(QWidget *parent)
    : QLabel(parent)
{
    // A static text starts at the top left of its rectangle, and a target
    // such as "<b>" must show as typed.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    Redraw();
}

CHyperLink::~CHyperLink() = default;

void CHyperLink::PreSubclassWindow()
{
    if (m_strTarget.isEmpty())
        m_strTarget = text();
    if (text().isEmpty())
        setText(m_strTarget);
    m_bAttached = true;

    m_fontLink = font();
    m_fontLink.setUnderline(HasStyle(LinkUnderline));
    setFont(m_fontLink);
    ResizeToText();

    if (!HasStyle(LinkNoHandCursor))
        LoadLinkCursor();
    ApplyLinkCursor();
    setToolTip(m_strTarget);
}

void CHyperLink::SetLinkTarget(const QString &target)
{
    m_strTarget = target;
    if (!m_bAttached)
        return;
    ResizeToText();
    setToolTip(m_strTarget);
    show();
}

void CHyperLink::SetLinkCaption(const QString &caption)
{
    if (!m_bAttached)
        return;
    setText(caption);
    ResizeToText();
    show();
}

void CHyperLink::SetLinkStyle(std::uint32_t style)
{
    m_dwLinkStyle = style;
    Redraw();
}

QColor CHyperLink::TextColour() const
{
    if (m_bMouseOver && HasStyle(LinkHoverColour))
        return kLinkHoverColour;
    if (m_bActive && !HasStyle(LinkNoActiveColour))
        return kLinkActiveColour;
    if (m_bLaunched)
        return kLinkVisitedColour;
    return kLinkUnvisitedColour;
}

void CHyperLink::OpenLinkTarget()
{
    const int code = LaunchTarget(m_strTarget);
    if (!LaunchSucceeded(code)) {
        QApplication::beep();
        ReportLaunchError(code);
        return;
    }
    m_bLaunched = true;
    Redraw();
}

int CHyperLink::LaunchTarget(const QString &target)
{
    return lindo::LaunchTarget(target, LinkLauncher::Current());
}

void CHyperLink::ReportLaunchError(int code)
{
    Ask(window(), ApplicationTitle(),
        QString::fromLatin1(kLinkErrorPrefix) + LaunchErrorExplanation(code),
        PromptIcon::Exclamation);
}

void CHyperLink::ResizeToText()
{
    if (!m_bAttached || !HasStyle(LinkFitToText))
        return;
    const QRect window = geometry();
    const QRect client = contentsRect();
    const int borderWidth = window.width() - client.width();
    const int borderHeight = window.height() - client.height();

    const QFontMetrics metrics(m_fontLink);
    const int textWidth = metrics.horizontalAdvance(text());
    const int textHeight = metrics.height();

    // Edges as left/top inclusive, right/bottom exclusive.
    int left = window.x();
    int top = window.y();
    int right = left + window.width();
    int bottom = top + window.height();

    if (alignment() & Qt::AlignVCenter) {
        const int shrink = (bottom - top - textHeight) / 2;
        top += shrink;
        bottom -= shrink;
    } else {
        bottom = top + textHeight;
    }

    if (alignment() & Qt::AlignHCenter) {
        const int shrink = (right - left - textWidth) / 2;
        left += shrink;
        right -= shrink;
    } else if (alignment() & Qt::AlignRight) {
        left = right - textWidth;
    } else {
        right = left + textWidth;
    }

    setGeometry(left, top, right - left + borderWidth, bottom - top + borderHeight);
}

void CHyperLink::LoadLinkCursor()
{
    if (!s_hHandCursor)
        s_hHandCursor = Qt::PointingHandCursor;
}

void CHyperLink::ApplyLinkCursor()
{
    if (s_hHandCursor)
        setCursor(*s_hHandCursor);
    else
        unsetCursor();
}

void CHyperLink::Redraw()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, TextColour());
    setPalette(colours);
    update();
}

void CHyperLink::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_bMouseOver) {
        m_bMouseOver = true;
        Redraw();
    } else if (!rect().contains(event->position().toPoint())) {
        m_bMouseOver = false;
        Redraw();
    }
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::leaveEvent(QEvent *event)
{
    // Without a mouse capture the leave event is what tells that the
    // pointer went away.
    if (m_bMouseOver) {
        m_bMouseOver = false;
        Redraw();
    }
    QLabel::leaveEvent(event);
}

void CHyperLink::enterEvent(QEnterEvent *event)
{
    // Another link may have loaded the hand cursor since this one was attached.
    ApplyLinkCursor();
    QLabel::enterEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (HasStyle(LinkFocusOnClick))
        setFocus(Qt::MouseFocusReason);
    if (HasStyle(LinkOpenOnPress))
        OpenLinkTarget();
    m_bActive = true;
    Redraw();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // The press took the mouse, so the release comes here even when the
    // pointer was dragged off: only a release over the link opens it.
    if (m_bActive && !HasStyle(LinkOpenOnPress) && rect().contains(event->position().toPoint()))
        OpenLinkTarget();
}

void CHyperLink::focusInEvent(QFocusEvent *event)
{
    m_bActive = true;
    Redraw();
    QLabel::focusInEvent(event);
}

void CHyperLink::focusOutEvent(QFocusEvent *event)
{
    m_bMouseOver = false;
    m_bActive = false;
    Redraw();
    QLabel::focusOutEvent(event);
}

void CHyperLink::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Holding the key down opens the link once, not once per repeat.
    if (!event->isAutoRepeat())
        OpenLinkTarget();
    event->accept();
}

} // namespace lindo
