#include "uikit/linklauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace lindo {

namespace {

// xdg-mime answers at once; the limit only keeps a hung desktop helper from
// freezing the window.
constexpr int kQueryTimeoutMs = 5000;

class DesktopLinkLauncher final : public LinkLauncher {
public:
    bool OpenUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    QString DefaultApplication(const QString &mimeType) override
    {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    {QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (!query.waitForFinished(kQueryTimeoutMs)) {
            query.kill();
            query.waitForFinished();
            return {};
        }
        if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    }

    QStringList ApplicationFolders() override
    {
        return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    }

    ProgramStart StartDetached(const QStringList &arguments) override
    {
        if (arguments.isEmpty())
            return ProgramStart::NotFound;
        const QString &program = arguments.front();
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            const QFileInfo info(program);
            return info.exists() && program.contains(QLatin1Char('/')) ? ProgramStart::AccessDenied
                                                                       : ProgramStart::NotFound;
        }
        return QProcess::startDetached(program, arguments.mid(1)) ? ProgramStart::Started
                                                                  : ProgramStart::Failed;
    }
};

} // namespace

LinkLauncher &LinkLauncher::Default()
{
    static DesktopLinkLauncher launcher;
    return launcher;
}

} // namespace lindo
