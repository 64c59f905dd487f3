#pragma once

// A check box whose text wraps onto as many lines as its rectangle needs, with
// the box and the text at the top. Templates give such check boxes a
// rectangle several lines high; a plain QCheckBox would keep its text on one
// line and cut it off. The whole rectangle takes clicks, as the text does.

#include <QCheckBox>

namespace lindo {

class CMultiLineCheckBox : public QCheckBox {
    Q_OBJECT

public:
    explicit CMultiLineCheckBox(const QString &text, QWidget *parent = nullptr);

    // Where the text is drawn, in the check box's coordinates.
    QRect TextRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QRect IndicatorRect() const;
};

} // namespace lindo
