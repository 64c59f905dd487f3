#pragma once

// What opening a link needs from the desktop, behind one interface so tests can
// stand in for it: no test opens a browser or asks the desktop for its
// handlers. The decisions (which URL, which fallback command, which error code)
// are made by LaunchTarget on top of these calls.

#include "uikit/serviceslot.h"

#include <QString>
#include <QStringList>

class QUrl;

namespace lindo {

enum class ProgramStart { Started, NotFound, AccessDenied, Failed };

class LinkLauncher : public ServiceSlot<LinkLauncher> {
public:
    virtual ~LinkLauncher() = default;

    // Hands the URL to the desktop's default handler; false when that could not
    // be started.
    virtual bool OpenUrl(const QUrl &url) = 0;
    // The desktop file name (such as "firefox.desktop") of the default
    // application for a MIME type, empty when there is none or the desktop
    // cannot be asked.
    virtual QString DefaultApplication(const QString &mimeType) = 0;
    // The folders holding desktop files, the most important first.
    virtual QStringList ApplicationFolders() = 0;
    // Starts arguments[0] with the remaining arguments, without waiting for it.
    virtual ProgramStart StartDetached(const QStringList &arguments) = 0;

private:
    friend class ServiceSlot<LinkLauncher>;
    // The launcher in use when none is installed: the desktop's.
    static LinkLauncher &Default();
};

} // namespace lindo
