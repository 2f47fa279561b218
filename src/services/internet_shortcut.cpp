#include "services/internet_shortcut.h"

#include "services/text_file.h"

namespace vtrl::services {

std::vector<std::wstring> InternetShortcutLines(const std::wstring& url,
                                                const std::wstring& iconIndex,
                                                const std::wstring& iconFile) {
    return {L"[InternetShortcut]", L"URL=" + url, L"IconIndex=" + iconIndex,
            L"IconFile=" + iconFile};
}

void CreateUrlFile(platform::FileSystem& files, platform::Locale& locale,
                   const std::wstring& filePath, const std::wstring& url,
                   const std::wstring& iconIndex, const std::wstring& iconFile) {
    WriteTextLines(files, locale, filePath, InternetShortcutLines(url, iconIndex, iconFile));
}

} // namespace vtrl::services
