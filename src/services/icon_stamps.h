#pragma once
// What each icon bitmap in the data folder was drawn from: the program file's size and last-write
// time, remembered in "IconStamps.txt" so that a bitmap is drawn again only when its program
// changed. One line per bitmap: the name it is saved under, the size and the time, separated by
// tabs (a character no file name holds).

#include "platform/file_signature.h"
#include "platform/files.h"
#include "platform/locale.h"

#include <map>
#include <string>
#include <vector>

namespace vtrl::services {

inline constexpr wchar_t kIconStampsFileName[] = L"IconStamps.txt";

// Keyed by the name the bitmap is saved under, as the inventory stores it (lower case).
using IconStamps = std::map<std::wstring, platform::FileStamp>;

// Lines that do not read back (missing fields, a number that is not one) are left out: a stamp
// lost costs only one more drawing.
IconStamps ParseIconStamps(const std::vector<std::wstring>& lines);
std::vector<std::wstring> FormatIconStamps(const IconStamps& stamps);

// The stamps file of the data folder; empty when it is missing or unreadable.
IconStamps LoadIconStamps(platform::FileSystem& files, platform::Locale& locale,
                          const std::wstring& dataFolder);
bool SaveIconStamps(platform::FileSystem& files, platform::Locale& locale,
                    const std::wstring& dataFolder, const IconStamps& stamps);

// The bitmap saved under name was drawn from a file with this stamp.
bool IconIsCurrent(const IconStamps& stamps, const std::wstring& name,
                   const platform::FileStamp& stamp);

} // namespace vtrl::services
