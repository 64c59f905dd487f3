#include "app/compareapp.h"

#include "app/comparedialog.h"
#include "uikit/pathcombobox.h"
#include "uikit/prompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>

namespace lindo {

int CCompareApp::Run(int argc, char **argv, Start start, const QStringList &paths)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lindo.png")));
    CCompareDialog dialog;
    if (start == Start::CompareFiles && paths.size() == 2) {
        dialog.FirstPathBox()->SetText(paths[0]);
        dialog.SecondPathBox()->SetText(paths[1]);
        // Compare once the window is on screen, so a failure's box has its owner.
        QTimer::singleShot(0, &dialog, &CCompareDialog::OnCompare);
    }
    // The window runs until it is done, but not as an application-modal
    // dialog: that would shut the Merged and Folder Comparison windows off
    // from all input.
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    if (start == Start::CompareFolders && paths.size() == 2)
        dialog.CompareFolders(paths[0], paths[1]);
    loop.exec(); // the result is not used
    return 0;
}

} // namespace lindo
