#include "decisions/data_file.h"

#include "services/text_file.h"

#include <algorithm>

namespace vtrl::decisions {

std::unique_ptr<platform::DataLockHold> TakeWriterTurn(platform::DataLocks& locks,
                                                       const std::wstring& dataFolder) {
    return locks.Acquire(dataFolder, kDataLockWaitMilliseconds);
}

DataFileRead ReadDataFile(platform::FileSystem& files, platform::Locale& locale,
                          const std::wstring& path) {
    DataFileRead read;
    if (!files.FileExists(path) && !files.FolderExists(path)) {
        return read;
    }
    const auto size = files.FileSize(path);
    if (size && *size > kMaxDataFileBytes) {
        read.outcome = StoreOutcome::TooLarge;
        return read;
    }
    auto lines = services::ReadTextLines(files, locale, path);
    if (!lines) {
        read.outcome = StoreOutcome::Failed;
        return read;
    }
    read.lines = std::move(*lines);
    return read;
}

bool KeepUnreadableCopy(platform::FileSystem& files, const std::wstring& path) {
    const auto bytes = files.ReadAll(path);
    if (!bytes) {
        return false;
    }
    std::wstring stem = path;
    constexpr std::wstring_view kExtension = L".txt";
    if (stem.size() >= kExtension.size() &&
        std::equal(kExtension.begin(), kExtension.end(), stem.end() - kExtension.size(),
                   [](wchar_t a, wchar_t b) { return a == (b | 0x20); })) {
        stem.resize(stem.size() - kExtension.size());
    }
    for (int number = 1; number <= 99; ++number) {
        const std::wstring copy =
            stem + L".unreadable" + (number == 1 ? L"" : std::to_wstring(number)) + L".txt";
        if (files.CreateNewEmpty(copy)) {
            if (files.ReplaceAll(copy, *bytes)) {
                return true;
            }
            files.Remove(copy);
            return false;
        }
    }
    return false;
}

std::wstring AsStoredText(std::wstring text) {
    text = services::AsOneLine(std::move(text));
    std::replace(text.begin(), text.end(), L'\0', L' ');
    return text;
}

bool HasForeignCharacters(const std::wstring& text) {
    return text.find(L'\0') != std::wstring::npos || text.find(L'\xFFFD') != std::wstring::npos;
}

bool HasForeignCharacters(const std::vector<std::wstring>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::wstring& line) { return HasForeignCharacters(line); });
}

} // namespace vtrl::decisions
