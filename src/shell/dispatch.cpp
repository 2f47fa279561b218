#include "shell/dispatch.h"

namespace vtrl::shell {

bool StepMatches(const DispatchStep& step, const std::wstring& commandLine) {
    if (step.test == MatchTest::Equal) {
        return commandLine == step.word;
    }
    return commandLine.find(step.word) != std::wstring::npos;
}

DispatchOutcome Dispatch(const std::vector<DispatchStep>& steps, const std::wstring& commandLine) {
    bool matched = false;
    for (const DispatchStep& step : steps) {
        if (!StepMatches(step, commandLine)) {
            continue;
        }
        matched = true;
        if (step.action) {
            step.action(commandLine);
        }
        if (step.after == AfterStep::Ends) {
            return DispatchOutcome::EndProcess;
        }
        if (step.after == AfterStep::Returns) {
            return DispatchOutcome::Returned;
        }
    }
    return matched ? DispatchOutcome::Returned : DispatchOutcome::NoMatch;
}

std::wstring RemoveEveryOccurrence(std::wstring text, const std::wstring& word) {
    if (word.empty()) {
        return text;
    }
    for (auto at = text.find(word); at != std::wstring::npos; at = text.find(word, at)) {
        text.erase(at, word.size());
    }
    return text;
}

} // namespace vtrl::shell
