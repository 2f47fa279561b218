#include "fakes/fake_shell.h"

#include "services/text_file.h"

namespace vtrl::fakes {

namespace {

std::wstring Trim(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::wstring FakeIniFiles::ReadString(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& file, std::size_t bufferLength) {
    reads.push_back({section, key, file, bufferLength});
    const auto content = files_.Content(file);
    if (!content || bufferLength == 0) {
        return {};
    }
    std::wstring text;
    for (const char byte : *content) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    }
    const std::wstring wantedSection = FoldCase(Trim(section));
    const std::wstring wantedKey = FoldCase(Trim(key));
    bool inSection = false;
    for (const std::wstring& rawLine : services::SplitLines(text)) {
        const std::wstring line = Trim(rawLine);
        if (line.empty()) {
            continue;
        }
        if (line.front() == L'[') {
            const auto close = line.find(L']');
            const std::wstring name =
                line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
            inSection = FoldCase(Trim(name)) == wantedSection;
            continue;
        }
        const auto equals = line.find(L'=');
        if (!inSection || equals == std::wstring::npos ||
            FoldCase(Trim(line.substr(0, equals))) != wantedKey) {
            continue;
        }
        std::wstring value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (value.size() > bufferLength - 1) {
            value.resize(bufferLength - 1);
        }
        return value;
    }
    return {};
}

platform::MessageAnswer FakeMessageBoxes::Show(const std::wstring& text,
                                               const std::wstring& caption,
                                               platform::MessageIcon icon,
                                               platform::MessageButtons buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (!answers.empty()) {
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::Yes
                                                      : platform::MessageAnswer::Ok;
}

bool FakeLauncher::ShellOpen(const std::wstring& target) {
    opened.push_back(target);
    return shellOpenSucceeds;
}

bool FakeLauncher::StartProgram(const std::wstring& commandLine) {
    if (!startSucceeds) {
        return false;
    }
    started.push_back(commandLine);
    return true;
}

bool FakeLauncher::StartProgramHidden(const std::wstring& commandLine) {
    if (!startSucceeds) {
        return false;
    }
    startedHidden.push_back(commandLine);
    return true;
}

std::optional<std::wstring> FakeLauncher::AssociatedProgram(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return std::nullopt;
    }
    const auto found = associations.find(FoldCase(path.substr(dot)));
    if (found == associations.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> FakeHttp::Get(const std::wstring& url) {
    requests.push_back(url);
    const auto found = bodies.find(url);
    if (found == bodies.end()) {
        return std::string();
    }
    if (found->second.size() > platform::kHttpReplyLimit) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace vtrl::fakes
