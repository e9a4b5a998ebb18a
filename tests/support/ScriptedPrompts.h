// Modal prompts that answer from a script, installed for the object's
// lifetime: each request is kept and answered at once with the next
// scripted answer (nothing scripted: cancelled).
#pragma once

#include "platform/window/ModalPrompt.h"

#include <deque>
#include <vector>

namespace LumoTest {

class ScriptedPrompts : public Plat::ModalPrompts {
public:
    ScriptedPrompts() : mPrevious(Plat::SetModalPrompts(this)) {}
    ~ScriptedPrompts() override { Plat::SetModalPrompts(mPrevious); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    Plat::PromptAnswer Ask(Plat::Window* owner, const Plat::PromptRequest& request) override
    {
        owners.push_back(owner);
        requests.push_back(request);
        if (answers.empty())
            return {};
        const Plat::PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // Helpers for the two kinds of answer.
    void PickLine(int line) { answers.push_back({true, line, {}}); }
    void Type(const std::string& text) { answers.push_back({true, -1, text}); }
    void Cancel() { answers.push_back({}); }

    std::deque<Plat::PromptAnswer> answers;
    std::vector<Plat::PromptRequest> requests;
    std::vector<Plat::Window*> owners;

private:
    Plat::ModalPrompts* mPrevious;
};

} // namespace LumoTest
