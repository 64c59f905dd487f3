#pragma once

// Answers the program's message boxes and questions in tests, in order, and
// records what was asked. Installed for the lifetime of the object; with no
// answer queued, a box is answered as if its first button were pressed.

#include "support/standin.h"
#include "uikit/prompt.h"

#include <deque>
#include <functional>
#include <vector>

namespace lindo::test {

class ScriptedPrompter final : public StandIn<Prompter> {
public:
    PromptAnswer Ask(const PromptRequest &request) override
    {
        requests.push_back(request);
        if (onAsk)
            onAsk(request);
        if (!answers.empty()) {
            const PromptAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        switch (request.buttons) {
        case PromptButtons::YesNo:
        case PromptButtons::YesNoCancel:
            return PromptAnswer::Yes;
        case PromptButtons::Ok:
        case PromptButtons::OkCancel:
            break;
        }
        return PromptAnswer::Ok;
    }

    std::deque<PromptAnswer> answers;
    std::vector<PromptRequest> requests;
    // Runs while the box is up, that is in the middle of the code that asks.
    std::function<void(const PromptRequest &)> onAsk;
};

} // namespace lindo::test
