#include "services/icon_bitmap.h"

#include <string_view>
#include <utility>

namespace vtrl::services {

namespace {

bool IsPlainFileName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos &&
           name.find(L'\0') == std::wstring::npos;
}

} // namespace

std::wstring IconBitmapPath(const std::wstring& dataFolder, const std::wstring& name) {
    if (!IsPlainFileName(name) || dataFolder.empty()) {
        return {};
    }
    return dataFolder + L"\\" + name + kIconBitmapExtension;
}

std::optional<IconBitmap> SaveIconBitmap(platform::FileSystem& files, platform::Icons& icons,
                                         const std::wstring& dataFolder,
                                         const std::wstring& filePath, int size,
                                         const std::wstring& name) {
    if (size != kIconBitmapSize && size != kSmallIconBitmapSize) {
        return std::nullopt;
    }
    auto picture = icons.RenderIconBitmap(filePath, size);
    if (!picture || picture->empty()) {
        return std::nullopt;
    }
    IconBitmap result{std::move(*picture), false};
    const std::wstring path = IconBitmapPath(dataFolder, name);
    if (!path.empty()) {
        const std::string_view bytes(reinterpret_cast<const char*>(result.picture.data()),
                                     result.picture.size());
        result.saved = files.ReplaceAll(path, bytes);
    }
    return result;
}

} // namespace vtrl::services
