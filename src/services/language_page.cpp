#include "services/language_page.h"

#include "services/settings_keys.h"
#include "services/settings_store.h"

#include <cwctype>

namespace vtrl::services {

namespace {

constexpr std::size_t kIniExtensionLength = 4; // ".ini"

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

LanguageOptions PlaceLanguageOptions(const std::vector<std::wstring>& fileNames,
                                     const TwipsRect& english, const std::wstring& languageName) {
    LanguageOptions result;
    result.options.push_back({kEnglishLanguage, english});
    // The elements that start the second and the third column: the whole parts of
    // (N - 1) / 3 + 1 and (N - 1) / 3 * 2 + 1, in integers.
    const std::size_t count = fileNames.size();
    const std::size_t secondColumn = (count + 2) / 3;
    const std::size_t thirdColumn = (2 * count + 1) / 3;
    bool matched = false;
    for (const std::wstring& fileName : fileNames) {
        const std::wstring name = fileName.size() >= kIniExtensionLength
                                      ? fileName.substr(0, fileName.size() - kIniExtensionLength)
                                      : std::wstring();
        if (SameTextIgnoringCase(name, kEnglishLanguage)) {
            continue;
        }
        const std::size_t n = result.options.size();
        TwipsRect place{0, english.top, english.width, english.height};
        if (n == secondColumn) {
            place.left = english.left + english.width + kLanguageColumnGap;
        } else if (n == thirdColumn) {
            place.left = english.left + 2 * english.width + 2 * kLanguageColumnGap;
        } else {
            const TwipsRect& above = result.options[n - 1].place;
            place.left = above.left;
            place.top = above.top + english.height + kLanguageRowGap;
        }
        result.options.push_back({name, place});
        if (SameTextIgnoringCase(name, languageName)) {
            result.selected = n;
            matched = true;
        }
    }
    if (!matched) {
        result.selected = 0;
    }
    return result;
}

std::vector<std::wstring> ListLanguageFiles(platform::FileSystem& files, const Language& language) {
    std::vector<std::wstring> names;
    for (const platform::FolderEntry& entry : files.ListFolder(language.LanguageFolder, L"*.ini")) {
        if ((entry.attributes & (platform::kAttributeDirectory | platform::kAttributeHidden |
                                 platform::kAttributeSystem)) == 0) {
            names.push_back(entry.name);
        }
    }
    return names;
}

std::wstring FlagPicture(platform::FileSystem& files, const Language& language,
                         const std::wstring& caption) {
    const std::wstring path = language.LanguageFolder + L"\\" + caption + L".jpg";
    return files.FileExists(path) ? path : std::wstring();
}

void SaveLanguageChoice(platform::Registry& registry, Language& language,
                        const std::wstring& caption) {
    SaveSetting(registry, kAppKey, kSettingsSection, kLanguageSetting, caption);
    language.LanguageName = caption;
}

} // namespace vtrl::services
