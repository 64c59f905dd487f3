#pragma once

// Finds the controls of a window that a screen reader would announce without
// a name: buttons, edits, combo boxes, spin boxes, sliders and scrolling views
// (lists, text panes) whose accessible name is empty (a label whose buddy the
// control is names it).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>

#include <QStringList>

namespace lindo::test {

inline bool IsInteractive(const QWidget *widget)
{
    if (qobject_cast<const QScrollBar *>(widget))
        return false; // scroll bars belong to the control they scroll
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QAbstractSlider *>(widget) || qobject_cast<const QAbstractItemView *>(widget) ||
           qobject_cast<const QAbstractScrollArea *>(widget);
}

// "ClassName objectName" of every nameless interactive control under `window`
// that is not hidden; parts of another control (a combo box's edit) are skipped.
inline QStringList NamelessControls(QWidget *window)
{
    QStringList nameless;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!IsInteractive(widget) || !widget->isVisibleTo(window) || widget->isWindow())
            continue;
        bool part = false;
        for (QWidget *up = widget->parentWidget(); up && up != window; up = up->parentWidget())
            part = part || IsInteractive(up);
        if (part)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty())
            nameless << QStringLiteral("%1 %2").arg(widget->metaObject()->className(), widget->objectName());
    }
    return nameless;
}

} // namespace lindo::test
