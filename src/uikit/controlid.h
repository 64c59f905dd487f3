#pragma once

// Controls keep the numeric identifiers of their dialog templates, so code and
// tests can find a control by number as the templates name them.

#include <QWidget>

namespace lindo {

inline constexpr char kControlIdProperty[] = "lindoControlId";

inline void SetControlId(QWidget *widget, int id)
{
    widget->setProperty(kControlIdProperty, id);
}

inline int ControlId(const QWidget *widget)
{
    const QVariant id = widget->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

// The descendant of parent carrying the identifier, or null.
template <typename T = QWidget>
T *FindControl(const QWidget *parent, int id)
{
    for (T *child : parent->findChildren<T *>()) {
        if (ControlId(child) == id)
            return child;
    }
    return nullptr;
}

} // namespace lindo
