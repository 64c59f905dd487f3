#pragma once

// Drives property sheets as a user does: clicks tabs and buttons, and runs
// the Settings command's modal sheet with a test acting from inside its loop.

#include "settingssheet/propertysheet.h"
#include "settingssheet/settingscommand.h"
#include "settingssheet/settingscommandhost.h"
#include "settingssheet/settingssheet.h"
#include "settingsstore/settingsnames.h"
#include "support/testfiles.h"
#include "uikit/controlid.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace lindo::test {

// Points the settings store at a fresh file for the lifetime of the object.
class ScopedSettingsFile {
public:
    ScopedSettingsFile()
        : m_previous(qgetenv(settings::kStoreFileVariable))
        , m_path(QString::fromStdString((m_dir / "Lindo.ini").string()))
    {
        qputenv(settings::kStoreFileVariable, m_path.toLocal8Bit());
    }
    ~ScopedSettingsFile() { qputenv(settings::kStoreFileVariable, m_previous); }
    ScopedSettingsFile(const ScopedSettingsFile &) = delete;
    ScopedSettingsFile &operator=(const ScopedSettingsFile &) = delete;

    const QString &Path() const { return m_path; }

private:
    QByteArray m_previous;
    TempDir m_dir;
    QString m_path;
};

inline QTabBar *TabBar(const CPropertySheet &sheet)
{
    return sheet.findChild<QTabWidget *>()->tabBar();
}

// Clicks the page's tab.
inline void ShowPage(CPropertySheet &sheet, int index)
{
    QTabBar *bar = TabBar(sheet);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_EQ(sheet.GetActiveIndex(), index);
}

inline void ClickButton(QWidget &parent, int id)
{
    auto *button = FindControl<QPushButton>(&parent, id);
    ASSERT_NE(button, nullptr) << "button " << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void ClickOk(CPropertySheet &sheet)
{
    ClickButton(sheet, propertysheet::kIdOk);
}

inline void ClickCancel(CPropertySheet &sheet)
{
    ClickButton(sheet, propertysheet::kIdCancel);
}

// Runs the Settings command; `during` acts on the open sheet from inside its
// modal loop and is expected to close it. A sheet left open is cancelled (and
// the test fails) so that no test can hang.
inline bool RunSettings(SettingsCommandHost &host,
                        const std::function<void(CSettingsSheet &)> &during)
{
    QTimer::singleShot(0, host.Window(), [&host, &during] {
        QPointer<CSettingsSheet> sheet = host.Window()->findChild<CSettingsSheet *>();
        if (!sheet) {
            ADD_FAILURE() << "no Settings sheet is open";
            return;
        }
        during(*sheet);
        if (sheet && sheet->isVisible()) {
            ADD_FAILURE() << "the test left the sheet open";
            sheet->reject();
        }
    });
    return RunSettingsCommand(host);
}

} // namespace lindo::test
