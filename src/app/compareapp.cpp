#include "app/compareapp.h"

#include "app/comparedialog.h"
#include "app/guardedapplication.h"
#include "app/recoveryfile.h"
#include "app/terminationwatch.h"
#include "uikit/pathcombobox.h"
#include "uikit/prompt.h"
#include "view/diffview.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace lindo {

namespace {

// For timing start-up (bench/startup.sh): with LINDO_EXIT_AFTER_PAINT set, the
// process ends right after both panes have painted a finished comparison, so
// the launch-to-picture time is the process's wall time. It writes "painted"
// on standard error and leaves at once, without the close steps: nothing is
// saved.
class ExitAfterPaint final : public QObject {
public:
    explicit ExitAfterPaint(CCompareDialog &dialog) : QObject(&dialog), m_dialog(dialog)
    {
        for (int side = 1; side <= 2; ++side)
            dialog.GetView(side)->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_dialog.Engine().IsCompared()) {
            m_painted |= watched == m_dialog.GetView(1)->viewport() ? 1 : 2;
            // Runs once the paint that is under way has reached the screen.
            if (m_painted == 3 && !m_leaving) {
                m_leaving = true;
                QTimer::singleShot(0, this, [] {
                    std::fputs("painted\n", stderr);
                    std::fflush(stderr);
                    ::_exit(0);
                });
            }
        }
        return false;
    }

private:
    CCompareDialog &m_dialog;
    int m_painted = 0;
    bool m_leaving = false;
};

// Ways the program is ended from outside: a desktop session that ends asks
// about unsaved merged text as closing does (or, when it may not ask, keeps
// it); SIGTERM, SIGHUP and SIGINT keep it in the recovery file and end every event
// loop, modal ones included.
void WatchForTheEnd(QApplication &application, CCompareDialog &dialog)
{
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &dialog, [&dialog](QSessionManager &manager) {
        if (!manager.allowsInteraction()) {
            dialog.KeepUnsavedMergedText();
            return;
        }
        const bool mayEnd = dialog.MayEndSession();
        manager.release();
        if (!mayEnd)
            manager.cancel();
    });
    auto *watch = new TerminationWatch(&dialog);
    QObject::connect(watch, &TerminationWatch::Terminated, &dialog, [&dialog](int signalNumber) {
        dialog.KeepUnsavedMergedText();
        QCoreApplication::exit(128 + signalNumber); // as a shell reports a process the signal ended
    });
}

} // namespace

int CCompareApp::Run(int argc, char **argv, Start start, const QStringList &paths)
{
    CGuardedApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lindo.png")));
    CCompareDialog dialog;
    if (start == Start::CompareFiles && paths.size() == 2) {
        dialog.FirstPathBox()->SetText(paths[0]);
        dialog.SecondPathBox()->SetText(paths[1]);
        // Compare once the window is on screen, so a failure's box has its owner.
        QTimer::singleShot(0, &dialog, &CCompareDialog::OnCompare);
        if (std::getenv("LINDO_EXIT_AFTER_PAINT"))
            new ExitAfterPaint(dialog);
    }
    // The window runs until it is done, but not as an application-modal
    // dialog: that would shut the Merged and Folder Comparison windows off
    // from all input.
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    WatchForTheEnd(application, dialog);
    dialog.show();
    if (start == Start::CompareFolders && paths.size() == 2)
        dialog.CompareFolders(paths[0], paths[1]);
    else if (!std::getenv("LINDO_EXIT_AFTER_PAINT"))
        QTimer::singleShot(0, &dialog, [&dialog] { OfferRecoveredText(&dialog); });
    return loop.exec(); // 0 unless a signal ended it
}

} // namespace lindo
