#pragma once

// Stand-ins for the desktop and for message boxes, for tests of links: they
// record what would have been opened, started or shown, and answer as told.

#include "app/prompt.h"
#include "controls/linklauncher.h"

#include <QStringList>
#include <QUrl>

#include <vector>

namespace lindo::test {

class FakeLinkLauncher final : public LinkLauncher {
public:
    FakeLinkLauncher() { LinkLauncher::Install(this); }
    ~FakeLinkLauncher() override { LinkLauncher::Install(nullptr); }
    FakeLinkLauncher(const FakeLinkLauncher &) = delete;
    FakeLinkLauncher &operator=(const FakeLinkLauncher &) = delete;

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

class RecordingPrompter final : public Prompter {
public:
    RecordingPrompter() { Prompter::Install(this); }
    ~RecordingPrompter() override { Prompter::Install(nullptr); }
    RecordingPrompter(const RecordingPrompter &) = delete;
    RecordingPrompter &operator=(const RecordingPrompter &) = delete;

    PromptAnswer Ask(const PromptRequest &request) override
    {
        requests.push_back(request);
        return PromptAnswer::Ok;
    }

    std::vector<PromptRequest> requests;
};

} // namespace lindo::test
