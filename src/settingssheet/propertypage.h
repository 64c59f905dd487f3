#pragma once

// One page of a CPropertySheet: a widget of its template's size whose tab is
// labelled with the template's caption. Its values move between fields and
// controls in one step each way: fields to controls when the page is first
// shown, controls to fields whenever the page is left and when the sheet is
// confirmed. A page that is never shown keeps the values it was given and is
// not told about the confirmation.

#include <QString>
#include <QWidget>

class QAbstractButton;

namespace lindo {

class CPropertyPage : public QWidget {
    Q_OBJECT

public:
    explicit CPropertyPage(const QString &caption);

    const QString &Caption() const { return m_caption; }
    // Whether the page has been shown, and so has its values in its controls.
    bool IsInitialised() const { return m_initialised; }

    // Called by the sheet when the page becomes the current one.
    void OnSetActive();
    // Called by the sheet when the page stops being the current one, and for
    // the current page when the sheet is confirmed.
    virtual void OnKillActive();
    // Called by the sheet on confirmation, for every page that has been shown.
    virtual void OnOK() {}

    // Each page of a template is 195 x 127 dialog units.
    static constexpr int kWidthDlu = 195;
    static constexpr int kHeightDlu = 127;

protected:
    // save: controls to fields; otherwise fields to controls.
    virtual void DoDataExchange(bool save) = 0;
    // Runs once, when the page is first shown: fields to controls.
    virtual void OnInitDialog();
    void UpdateData(bool save) { DoDataExchange(save); }
    // One check box and its field, in the direction DoDataExchange was given.
    static void ExchangeCheck(bool save, QAbstractButton *box, bool &field);

private:
    QString m_caption;
    bool m_initialised = false;
};

} // namespace lindo
