#include "monitor/hand_off.h"

#include "services/text_file.h"

#include <array>
#include <string_view>

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

wchar_t AsciiUpper(wchar_t character) {
    return character >= L'a' && character <= L'z' ? static_cast<wchar_t>(character - L'a' + L'A')
                                                  : character;
}

// Windows opens these devices for a name in any folder, also with an extension ("nul.txt").
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.pop_back();
    }
    for (wchar_t& character : base) {
        character = AsciiUpper(character);
    }
    static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                  L"NUL", L"CONIN$", L"CONOUT$"};
    for (const std::wstring_view device : kDevices) {
        if (base == device) {
            return true;
        }
    }
    if (base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"))) {
        // COM1 to COM9, and the superscript digits Windows also treats as device numbers.
        const wchar_t digit = base[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
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

bool IsPlainHandOffName(const std::wstring& name) {
    if (name.empty() || name.find(L"..") != std::wstring::npos) {
        return false;
    }
    for (const wchar_t character : name) {
        if (character < 32) {
            return false;
        }
        switch (character) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|':
            return false;
        default:
            break;
        }
    }
    // Windows drops trailing dots and blanks, so "." or " " would name the folder itself.
    if (name.find_first_not_of(L". ") == std::wstring::npos) {
        return false;
    }
    return !IsDeviceName(name);
}

std::optional<HandOff> TakeHandOffFile(platform::Platform& platform, const std::wstring& dataFolder,
                                       const std::wstring& name) {
    if (!IsPlainHandOffName(name)) {
        return std::nullopt;
    }
    const std::wstring path = dataFolder + L"\\" + name;
    const auto lines = services::ReadTextLines(platform.files, platform.locale, path);
    if (!lines || lines->size() < 2) {
        return std::nullopt;
    }
    platform.files.Remove(path);
    return HandOff{(*lines)[0], (*lines)[1]};
}

} // namespace vtrl::monitor
