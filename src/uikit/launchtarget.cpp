#include "uikit/launchtarget.h"

#include "uikit/launcherror.h"
#include "uikit/linklauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QUrl>

namespace lindo {

namespace {

constexpr char kDesktopEntryGroup[] = "[Desktop Entry]";
constexpr char kExecKey[] = "Exec";

bool IsBareMailAddress(const QString &target)
{
    static const QRegularExpression address(QStringLiteral("^[^@\\s:/]+@[^@\\s:/]+$"));
    return address.match(target).hasMatch();
}

bool HasScheme(const QString &target)
{
    // Two letters at least, so that a single letter before a colon stays a path.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(target).hasMatch();
}

// The error the desktop would report for a local path it cannot open, or
// kLaunchStarted when the path is there to be opened.
int CheckLocalPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return info.absoluteDir().exists() ? kLaunchFileNotFound : kLaunchPathNotFound;
    if (!info.isReadable())
        return kLaunchAccessDenied;
    return kLaunchStarted;
}

int OpenWithDefaultHandler(const QString &target, LinkLauncher &launcher)
{
    const QUrl url = TargetUrl(target);
    if (!url.isValid() || url.isEmpty())
        return kLaunchFileNotFound;
    if (url.isLocalFile()) {
        const int pathCheck = CheckLocalPath(url.toLocalFile());
        if (!LaunchSucceeded(pathCheck))
            return pathCheck;
    }
    return launcher.OpenUrl(url) ? kLaunchStarted : kLaunchNoAssociation;
}

int StartResultCode(ProgramStart start)
{
    switch (start) {
    case ProgramStart::Started:
        return kLaunchStarted;
    case ProgramStart::NotFound:
        return kLaunchFileNotFound;
    case ProgramStart::AccessDenied:
        return kLaunchAccessDenied;
    case ProgramStart::Failed:
        break;
    }
    return kLaunchOutOfResources;
}

// Undoes the escapes every desktop file string value may carry.
QString UnescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

QString ReadExecKey(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inEntryGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String(kDesktopEntryGroup);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntryGroup || equals < 0)
            continue;
        if (line.left(equals).trimmed() == QLatin1String(kExecKey))
            return UnescapeValue(line.mid(equals + 1).trimmed());
    }
    return {};
}

bool IsPlaceholder(QChar code)
{
    return code == QLatin1Char('u') || code == QLatin1Char('U') || code == QLatin1Char('f')
           || code == QLatin1Char('F');
}

// Expands the field codes of one argument. Returns false when the argument
// consisted of nothing but dropped field codes and so disappears.
bool ExpandFieldCodes(const QString &argument, const QString &target, bool &targetPlaced,
                      QString &expanded)
{
    bool droppedOnly = !argument.isEmpty();
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument[i];
        if (c != QLatin1Char('%') || i + 1 == argument.size()) {
            expanded += c;
            droppedOnly = false;
            continue;
        }
        const QChar code = argument[++i];
        if (code == QLatin1Char('%')) {
            expanded += code;
            droppedOnly = false;
        } else if (IsPlaceholder(code) && !targetPlaced) {
            expanded += target;
            targetPlaced = true;
            droppedOnly = false;
        }
    }
    return !droppedOnly;
}

} // namespace

QUrl TargetUrl(const QString &target)
{
    if (IsBareMailAddress(target))
        return QUrl(QStringLiteral("mailto:") + target, QUrl::TolerantMode);
    if (HasScheme(target))
        return QUrl(target, QUrl::TolerantMode);
    if (target.isEmpty())
        return {};
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

QString DesktopEntryCommand(const QString &desktopFile, const QStringList &folders)
{
    // A name that climbs out of the folders is no desktop file name.
    if (desktopFile.isEmpty() || desktopFile.contains(QLatin1Char('/')))
        return {};
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(desktopFile);
        if (QFileInfo::exists(path))
            return ReadExecKey(path);
    }
    return {};
}

QStringList SplitExecLine(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c.isSpace()) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            inArgument = true;
            if (c == QLatin1Char('"'))
                quoted = true;
            else
                current += c;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

QStringList FallbackCommandLine(const QString &exec, const QString &target)
{
    QStringList command;
    bool targetPlaced = false;
    for (const QString &argument : SplitExecLine(exec)) {
        QString expanded;
        if (ExpandFieldCodes(argument, target, targetPlaced, expanded))
            command << expanded;
    }
    if (command.isEmpty())
        return {};
    if (!targetPlaced)
        command << target;
    return command;
}

int LaunchTarget(const QString &target, LinkLauncher &launcher)
{
    const int shellResult = OpenWithDefaultHandler(target, launcher);
    if (LaunchSucceeded(shellResult))
        return shellResult;
    const QString handler = launcher.DefaultApplication(QString::fromLatin1(kWebPageMimeType));
    const QString exec = DesktopEntryCommand(handler, launcher.ApplicationFolders());
    const QStringList command = FallbackCommandLine(exec, target);
    if (command.isEmpty())
        return shellResult;
    return StartResultCode(launcher.StartDetached(command));
}

} // namespace lindo
