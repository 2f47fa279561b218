#pragma once
// The command-line mode table: steps tested strictly top to bottom against the whole command
// line, case-sensitively, either for equality or for the word anywhere in the text.

#include <functional>
#include <string>
#include <vector>

namespace vtrl::shell {

enum class MatchTest { Equal, Contains };

// What the process does after a matching step has run.
enum class AfterStep {
    Returns, // stop testing; the process lives as long as the window the step opened
    Ends,    // stop testing; the process ends at once
    GoesOn,  // go on testing the later steps with the same command line
};

struct DispatchStep {
    std::wstring word;
    MatchTest test = MatchTest::Equal;
    AfterStep after = AfterStep::Returns;
    std::function<void(const std::wstring& commandLine)> action;
};

enum class DispatchOutcome {
    NoMatch,    // no step matched: end at once, nothing opened
    Returned,   // a step matched and the process lives on its windows
    EndProcess, // a one-shot step ran: end at once
};

bool StepMatches(const DispatchStep& step, const std::wstring& commandLine);
DispatchOutcome Dispatch(const std::vector<DispatchStep>& steps, const std::wstring& commandLine);

// The command line with every occurrence of the word removed (hand-off and preopen arguments).
std::wstring RemoveEveryOccurrence(std::wstring text, const std::wstring& word);

} // namespace vtrl::shell
