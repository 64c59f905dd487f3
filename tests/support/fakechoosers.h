#pragma once

// Answers the program's file, folder and colour choosers in tests, and
// records what they were asked. Installed for the lifetime of the object.

#include "support/standin.h"
#include "uikit/choosers.h"

#include <deque>
#include <vector>

namespace lindo::test {

class FakeChoosers final : public StandIn<Choosers> {
public:
    std::optional<QString> ChooseFile(const FileChooserRequest &request) override
    {
        fileRequests.push_back(request);
        return Next(fileAnswers);
    }
    std::optional<QString> ChooseFolder(const FolderChooserRequest &request) override
    {
        folderRequests.push_back(request);
        return Next(folderAnswers);
    }
    std::optional<QColor> ChooseColour(const ColourChooserRequest &request) override
    {
        colourRequests.push_back(request);
        return Next(colourAnswers);
    }

    // Answers in order; nothing queued means the user cancelled.
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QColor>> colourAnswers;
    std::vector<FileChooserRequest> fileRequests;
    std::vector<FolderChooserRequest> folderRequests;
    std::vector<ColourChooserRequest> colourRequests;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>> &answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace lindo::test
