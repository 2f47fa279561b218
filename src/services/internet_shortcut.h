#pragma once
// Internet shortcut files (".url"): a link the shell opens in the browser.

#include "platform/files.h"
#include "platform/locale.h"

#include <string>
#include <vector>

namespace vtrl::services {

// The file's four lines: the section header, the URL, the icon index and the icon file.
std::vector<std::wstring> InternetShortcutLines(const std::wstring& url,
                                                const std::wstring& iconIndex,
                                                const std::wstring& iconFile);

// Writes the file in place of any old one; failures are silent.
void CreateUrlFile(platform::FileSystem& files, platform::Locale& locale,
                   const std::wstring& filePath, const std::wstring& url,
                   const std::wstring& iconIndex, const std::wstring& iconFile);

} // namespace vtrl::services
