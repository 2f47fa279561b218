#include "services/command_words.h"

namespace vtrl::services {

std::wstring OwnCommandLine(const SystemFacts& facts, const std::wstring& word,
                            const std::wstring& argument) {
    std::wstring line = L"\"" + facts.ProgramFolder + L"\\" + facts.ProgramName + L".exe\"";
    if (!word.empty() || !argument.empty()) {
        line += L" " + word + argument;
    }
    return line;
}

} // namespace vtrl::services
