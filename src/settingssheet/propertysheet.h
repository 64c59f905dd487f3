#pragma once

// A modal sheet of tabbed pages with OK and Cancel only. The pages are not
// owned: they usually live beside the sheet on the stack of the code that
// runs it, and may be destroyed before or after it.

#include <QDialog>
#include <QPointer>
#include <QString>

#include <vector>

class QTabWidget;

namespace lindo {

class CPropertyPage;

namespace propertysheet {
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline const QString kOkText = QStringLiteral("OK");
inline const QString kCancelText = QStringLiteral("Cancel");
} // namespace propertysheet

class CPropertySheet : public QDialog {
    Q_OBJECT

public:
    // startPage: the page shown first.
    CPropertySheet(const QString &caption, QWidget *parent, int startPage = 0);
    ~CPropertySheet() override;

    // Appends a tab labelled with the page's caption.
    void AddPage(CPropertyPage *page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage *GetPage(int index) const;
    int GetActiveIndex() const;
    // Makes a page current as clicking its tab does.
    void SetActivePage(int index);

    // The current page hands its controls' values to its fields, then every
    // page that has been shown takes part in the confirmation, in tab order.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnCurrentChanged(int index);
    void Activate(int index);

    QTabWidget *m_tabs = nullptr;                  // child of the sheet
    std::vector<QPointer<CPropertyPage>> m_pages;  // not owned
    QPointer<CPropertyPage> m_active;
    int m_startPage = 0;
    bool m_started = false; // pages are activated only once the sheet shows
};

} // namespace lindo
