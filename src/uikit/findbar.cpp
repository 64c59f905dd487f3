#include "uikit/findbar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace lindo {

CFindBar::CFindBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("findBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    auto *label = new QLabel(findbar::kLabelText, this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("findText"));
    label->setBuddy(m_field);
    m_matchCase = new QCheckBox(findbar::kMatchCaseText, this);
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("findNotice"));
    m_close = new QToolButton(this);
    m_close->setText(findbar::kCloseText);
    m_close->setToolTip(findbar::kCloseTip);
    // A screen reader would otherwise read the button's "x" as a letter.
    m_close->setAccessibleName(findbar::kCloseTip);
    m_close->setAutoRaise(true);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_notice, 1);
    layout->addWidget(m_close);

    connect(m_field, &QLineEdit::textEdited, this, [this] { emit Find(true, false); });
    connect(m_matchCase, &QCheckBox::toggled, this, [this] { emit Find(true, false); });
    connect(m_close, &QToolButton::clicked, this, &CFindBar::Close);

    // Window-wide, but only while the bar is shown: with the bar hidden the
    // window's own keys (Escape above all) are as they always were.
    const auto addKey = [this](const QKeySequence &key, auto handler) {
        auto *action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    addKey(QKeySequence(Qt::Key_F3), [this] { emit Find(true, true); });
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { emit Find(false, true); });
    addKey(QKeySequence(Qt::Key_Escape), [this] { Close(); });
    m_field->installEventFilter(this);
    hide();
}

bool CFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit Find(!(key->modifiers() & Qt::ShiftModifier), true);
            return true; // not on to the window's default button
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CFindBar::Open()
{
    QWidget *focus = QApplication::focusWidget();
    const bool opening = isHidden();
    if (opening && focus && !isAncestorOf(focus))
        m_returnFocus = focus;
    SetNotice(QString());
    show();
    if (opening)
        emit Opened();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void CFindBar::Close()
{
    if (isHidden())
        return;
    hide();
    if (m_returnFocus && m_returnFocus->isVisible())
        m_returnFocus->setFocus(Qt::OtherFocusReason);
    m_returnFocus = nullptr;
    emit Closed();
}

QString CFindBar::Text() const
{
    return m_field->text();
}

void CFindBar::SetText(const QString &text)
{
    m_field->setText(text);
}

bool CFindBar::MatchCase() const
{
    return m_matchCase->isChecked();
}

QString CFindBar::Notice() const
{
    return m_notice->text();
}

void CFindBar::SetNotice(const QString &text)
{
    m_notice->setText(text);
}

void CFindBar::ShowResult(const TextMatch &match, bool forward)
{
    if (!match.Found())
        SetNotice(findbar::kNotFound);
    else if (match.wrapped)
        SetNotice(forward ? findbar::kWrappedForward : findbar::kWrappedBackward);
    else
        SetNotice(QString());
}

} // namespace lindo
