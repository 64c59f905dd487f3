#pragma once

// Builds the controls of a dialog template: each at its rectangle (already in
// pixels, see DluRect), carrying its template identifier when it has one.

#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace lindo {

class CMultiLineCheckBox;

// A static text, left and top aligned, shown as plain text.
QLabel *AddStatic(QWidget *parent, const QString &text, const QRect &rect, int id = 0);

// A push button that is not the dialog's default button. While it has the
// keyboard focus, Enter presses it and not the default button: Enter on a
// focused Cancel must cancel, not confirm.
QPushButton *AddButton(QWidget *parent, int id, const QString &text, const QRect &rect);

// The dialog's default button: Enter presses it unless another push button
// has the focus.
QPushButton *AddDefaultButton(QWidget *parent, int id, const QString &text, const QRect &rect);

// A check box whose text stays on one line.
QCheckBox *AddCheckBox(QWidget *parent, int id, const QString &text, const QRect &rect);

// A check box whose text wraps within the rectangle, box and text at the top.
CMultiLineCheckBox *AddMultiLineCheckBox(QWidget *parent, int id, const QString &text,
                                         const QRect &rect);

} // namespace lindo
