#pragma once
// The language page of the framework dialog: one option per language file, English first, laid
// out in three columns.

#include "platform/platform.h"
#include "services/localisation.h"
#include "services/system_facts.h"

#include <string>
#include <vector>

namespace vtrl::services {

// Columns of options stand this far apart, and rows this far, in twips.
inline constexpr int kLanguageColumnGap = 400;
inline constexpr int kLanguageRowGap = 60;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct LanguageOption {
    std::wstring caption;
    TwipsRect place;
    friend bool operator==(const LanguageOption&, const LanguageOption&) = default;
};

struct LanguageOptions {
    std::vector<LanguageOption> options; // element 0 is English
    std::size_t selected = 0;
};

// Lays out the options for the listed language file names (in list order, "German.ini"), with
// English at element 0's place and selects the current language (English when none matches).
LanguageOptions PlaceLanguageOptions(const std::vector<std::wstring>& fileNames,
                                     const TwipsRect& english, const std::wstring& languageName);

// The language files in the language folder, in listing order.
std::vector<std::wstring> ListLanguageFiles(platform::FileSystem& files, const Language& language);

// The flag picture shown for a language, or empty when the file is not there.
std::wstring FlagPicture(platform::FileSystem& files, const Language& language,
                         const std::wstring& caption);

// OK on the page: the chosen language becomes the interface language of later starts.
void SaveLanguageChoice(platform::Registry& registry, Language& language,
                        const std::wstring& caption);

} // namespace vtrl::services
