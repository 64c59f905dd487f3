#pragma once

// Opening a link target: first with the desktop's default handler, and when
// that fails with the desktop's web browser, as the link control promises.

#include <QString>
#include <QStringList>

class QUrl;

namespace lindo {

class LinkLauncher;

// The MIME type whose handler is the fallback: the one that opens web pages.
inline constexpr char kWebPageMimeType[] = "text/html";

// Opens the target and returns kLaunchStarted, or the launch error code of
// the failure (see launcherror.h). When the default handler fails and the
// web-page handler is known, the fallback's result counts; when it is not
// known, the default handler's error is returned.
int LaunchTarget(const QString &target, LinkLauncher &launcher);

// What the default handler is given for a target: a bare e-mail address
// becomes a mailto: link, a text with a scheme is taken as a URL and anything
// else as a local path.
QUrl TargetUrl(const QString &target);

// The Exec= command of a desktop file, searched by name in the folders in
// order (the first folder that has the file wins); empty when no folder has a
// readable file with an Exec= key in its [Desktop Entry] group.
QString DesktopEntryCommand(const QString &desktopFile, const QStringList &folders);

// Splits an Exec= value into its arguments, with the desktop entry quoting
// rules: blanks separate arguments, double quotes group them, and inside
// quotes a backslash takes the next character literally.
QStringList SplitExecLine(const QString &exec);

// The argument list that opens target with a handler's Exec= command. The
// target takes the place of the first file or URL placeholder (%u %U %f %F,
// quoted or not) as one argument, whatever blanks or shell characters it
// holds; without a placeholder it is appended as the last argument. Other
// field codes are dropped and %% stands for a percent sign.
QStringList FallbackCommandLine(const QString &exec, const QString &target);

} // namespace lindo
