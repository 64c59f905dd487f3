#include "app/compareapp.h"

#include "app/comparedialog.h"
#include "app/pathcombobox.h"
#include "app/prompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>

namespace lindo {

int CCompareApp::Run(int argc, char **argv, const QStringList &files)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lindo.png")));
    CCompareDialog dialog;
    if (files.size() == 2) {
        dialog.FirstPathBox()->SetText(files[0]);
        dialog.SecondPathBox()->SetText(files[1]);
        // Compare once the window is on screen, so a failure's box has its owner.
        QTimer::singleShot(0, &dialog, &CCompareDialog::OnCompare);
    }
    // The window runs until it is done, but not as an application-modal
    // dialog: that would shut the Merged and Folder Comparison windows off
    // from all input.
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    loop.exec(); // the result is not used
    return 0;
}

} // namespace lindo
