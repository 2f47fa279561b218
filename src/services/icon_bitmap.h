#pragma once
// Icon bitmaps: the shell's icon of an executable saved as "<name>.bmp" in the data folder, a
// cache that the manager window, the popup and the inventory scan share across processes.

#include "platform/files.h"
#include "platform/icons.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

// Every caller draws icons at this size, in pixels.
inline constexpr int kIconBitmapSize = 32;
inline constexpr int kSmallIconBitmapSize = 16;
inline constexpr wchar_t kIconBitmapExtension[] = L".bmp";
// The name of the bitmap made for the file chosen on the create page.
inline constexpr wchar_t kUserIconName[] = L"user";

// dataFolder + "\" + name + ".bmp"; the name keeps its own extension ("notepad.exe.bmp").
// Empty when the name is empty or holds a path separator, a drive colon or a NUL (a program name
// from a Run value such as "..\..\x"), so that no reader or writer ever names a file outside the
// data folder.
std::wstring IconBitmapPath(const std::wstring& dataFolder, const std::wstring& name);

struct IconBitmap {
    std::vector<std::uint8_t> picture; // the ".bmp" file's bytes, for the caller to show
    bool saved = false;                // the file in the data folder now holds the picture
};

// Draws the shell's icon of filePath at size pixels (16 or 32) and saves it as the bitmap named
// after name, replacing an older file in one step so that a reader in another process never
// sees it missing or half written. When the shell gives no icon nothing is written and an older
// bitmap stays; nullopt then. A name that is empty or holds a path separator is drawn but not
// saved, as it would name a file outside the data folder.
std::optional<IconBitmap> SaveIconBitmap(platform::FileSystem& files, platform::Icons& icons,
                                         const std::wstring& dataFolder,
                                         const std::wstring& filePath, int size,
                                         const std::wstring& name);

} // namespace vtrl::services
