#include "monitor/hand_off.h"

#include "services/text_file.h"

#include <algorithm>

namespace vtrl::monitor {

namespace {

std::wstring TwoDigits(int value) {
    std::wstring text = std::to_wstring(value);
    return text.size() < 2 ? L"0" + text : text;
}

// yyyymmddhhmmss: a later second gives a different stem, whatever the sequence number.
std::wstring ClockStem(const platform::LocalTime& time) {
    return std::to_wstring(time.year) + TwoDigits(time.month) + TwoDigits(time.day) +
           TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
}

} // namespace

std::optional<std::wstring> WriteHandOffFile(platform::Platform& platform,
                                             const std::wstring& dataFolder,
                                             const HandOff& handOff) {
    const std::wstring stem = ClockStem(platform.clock.Now());
    for (int sequence = 1; sequence <= kHandOffNameAttempts; ++sequence) {
        const std::wstring name = stem + std::to_wstring(sequence);
        const std::wstring path = dataFolder + L"\\" + name;
        // Creating the file exclusively claims the name; a plain existence test would leave a
        // window in which another writer takes the same one.
        if (!platform.files.CreateNewEmpty(path)) {
            // Taken, by a file or by a folder of that name: try the next one.
            if (platform.files.FileExists(path) || platform.files.FolderExists(path)) {
                continue;
            }
            return std::nullopt;
        }
        if (services::WriteTextLines(platform.files, platform.locale, path,
                                     {handOff.folder, handOff.exeName})) {
            return name;
        }
        platform.files.Remove(path);
        return std::nullopt;
    }
    return std::nullopt;
}

std::wstring HandOffNameIn(const std::wstring& commandLine, const std::wstring& word) {
    if (word.empty()) {
        return commandLine;
    }
    std::wstring name;
    std::size_t start = 0;
    for (std::size_t found = commandLine.find(word); found != std::wstring::npos;
         found = commandLine.find(word, start)) {
        name.append(commandLine, start, found - start);
        start = found + word.size();
    }
    name.append(commandLine, start, std::wstring::npos);
    return name;
}

bool IsHandOffName(const std::wstring& name) {
    if (name.empty() || name.size() > kHandOffNameMaxDigits) {
        return false;
    }
    return std::all_of(name.begin(), name.end(),
                       [](wchar_t character) { return character >= L'0' && character <= L'9'; });
}

std::optional<HandOff> TakeHandOffFile(platform::FileSystem& files, platform::Locale& locale,
                                       const std::wstring& dataFolder, const std::wstring& name) {
    if (!IsHandOffName(name)) {
        return std::nullopt;
    }
    const std::wstring path = dataFolder + L"\\" + name;
    const auto lines = services::ReadTextLines(files, locale, path);
    if (!lines || lines->size() < 2) {
        return std::nullopt;
    }
    files.Remove(path);
    return HandOff{(*lines)[0], (*lines)[1]};
}

} // namespace vtrl::monitor
