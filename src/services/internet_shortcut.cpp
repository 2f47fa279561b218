#include "services/internet_shortcut.h"

#include "services/text_file.h"

namespace vtrl::services {

std::vector<std::wstring> InternetShortcutLines(const std::wstring& url,
                                                const std::wstring& iconIndex,
                                                const std::wstring& iconFile) {
    return {L"[InternetShortcut]", L"URL=" + url, L"IconIndex=" + iconIndex,
            L"IconFile=" + iconFile};
}

void CreateUrlFile(platform::Platform& platform, const std::wstring& filePath,
                   const std::wstring& url, const std::wstring& iconIndex,
                   const std::wstring& iconFile) {
    WriteTextLines(platform.files, platform.locale, filePath,
                   InternetShortcutLines(url, iconIndex, iconFile));
}

} // namespace vtrl::services
