#pragma once

// A one-line find bar that sits under a text and is no modal box: a text
// field, a "Match case" tick and a notice. It finds nothing itself; whoever
// shows it answers its Find signal. While it is shown, Enter and F3 ask for
// the next match, Shift+Enter and Shift+F3 for the previous one, and Escape
// closes the bar (and nothing else).

#include "uikit/textsearch.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace lindo {

namespace findbar {
inline const QString kLabelText = QStringLiteral("Find:");
inline const QString kMatchCaseText = QStringLiteral("Match case");
inline const QString kCloseText = QStringLiteral("x");
inline const QString kCloseTip = QStringLiteral("Close (Escape)");
inline const QString kWrappedForward = QStringLiteral("Passed the end, continued from the top");
inline const QString kWrappedBackward = QStringLiteral("Passed the top, continued from the bottom");
inline const QString kNotFound = QStringLiteral("Not found");
} // namespace findbar

class CFindBar : public QWidget {
    Q_OBJECT

public:
    explicit CFindBar(QWidget *parent = nullptr);

    // Shows the bar with its text selected and the focus in it.
    void Open();
    // Hides the bar and hands the focus back to where it was before Open.
    void Close();

    QString Text() const;
    void SetText(const QString &text);
    bool MatchCase() const;
    QString Notice() const;
    void SetNotice(const QString &text);
    // Notes what a search going `forward` (or back) found: nothing, or a
    // match only past the end (or the start), or neither.
    void ShowResult(const TextMatch &match, bool forward);
    QLineEdit *Field() const { return m_field; }
    QCheckBox *MatchCaseBox() const { return m_matchCase; }

signals:
    // `again`: step on from the current match; otherwise the text changed and
    // the search starts where the last one did.
    void Find(bool forward, bool again);
    // The bar was shown, or hidden: whoever holds it lays it out.
    void Opened();
    void Closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QLabel *m_notice = nullptr;
    QToolButton *m_close = nullptr;
    QPointer<QWidget> m_returnFocus;
};

} // namespace lindo
