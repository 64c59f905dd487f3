#include "uikit/templatecontrols.h"

#include "uikit/controlid.h"
#include "uikit/multilinecheckbox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace lindo {

namespace {

template <typename T>
T *Place(T *control, int id, const QRect &rect)
{
    if (id != 0)
        SetControlId(control, id);
    control->setGeometry(rect);
    return control;
}

} // namespace

QLabel *AddStatic(QWidget *parent, const QString &text, const QRect &rect, int id)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return Place(label, id, rect);
}

QPushButton *AddButton(QWidget *parent, int id, const QString &text, const QRect &rect)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(true);
    return Place(button, id, rect);
}

QPushButton *AddDefaultButton(QWidget *parent, int id, const QString &text, const QRect &rect)
{
    QPushButton *button = AddButton(parent, id, text, rect);
    button->setDefault(true);
    return button;
}

QCheckBox *AddCheckBox(QWidget *parent, int id, const QString &text, const QRect &rect)
{
    return Place(new QCheckBox(text, parent), id, rect);
}

CMultiLineCheckBox *AddMultiLineCheckBox(QWidget *parent, int id, const QString &text,
                                         const QRect &rect)
{
    return Place(new CMultiLineCheckBox(text, parent), id, rect);
}

} // namespace lindo
