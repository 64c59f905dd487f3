#pragma once

// A stand-in for the desktop, for tests of links: it records what would have
// been opened or started, and answers as told. Message boxes are answered by
// ScriptedPrompter.

#include "support/scriptedprompter.h"
#include "support/standin.h"
#include "uikit/linklauncher.h"

#include <QStringList>
#include <QUrl>

#include <vector>

namespace lindo::test {

class FakeLinkLauncher final : public StandIn<LinkLauncher> {
public:
    bool OpenUrl(const QUrl &url) override
    {
        openedUrls.push_back(url);
        return openSucceeds;
    }
    QString DefaultApplication(const QString &mimeType) override
    {
        queriedTypes << mimeType;
        return defaultApplication;
    }
    QStringList ApplicationFolders() override { return applicationFolders; }
    ProgramStart StartDetached(const QStringList &arguments) override
    {
        startedCommands.push_back(arguments);
        return startResult;
    }

    bool openSucceeds = true;
    QString defaultApplication;
    QStringList applicationFolders;
    ProgramStart startResult = ProgramStart::Started;

    std::vector<QUrl> openedUrls;
    QStringList queriedTypes;
    std::vector<QStringList> startedCommands;
};


} // namespace lindo::test
