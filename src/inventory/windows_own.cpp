#include "inventory/windows_own.h"

#include <array>

namespace vtrl::inventory {

namespace {

constexpr std::array<const wchar_t*, 3> kMicrosoftSigners{
    L"Microsoft Windows", L"Microsoft Corporation", L"Microsoft Windows Publisher"};

} // namespace

bool IsMicrosoftSigner(const std::wstring& signer) {
    for (const wchar_t* name : kMicrosoftSigners) {
        if (signer == name) {
            return true;
        }
    }
    return false;
}

bool IsWindowsOwnProgram(platform::Locale& locale, const std::wstring& windowsFolder,
                         const StartupRecord& record) {
    if (windowsFolder.empty() || record.Signature.Status != SignatureStatus::Verified ||
        !IsMicrosoftSigner(record.Signature.Signer)) {
        return false;
    }
    const std::wstring folder = locale.ToLower(record.ExeFolder);
    const std::wstring windows = locale.ToLower(windowsFolder);
    return folder == windows ||
           (folder.size() > windows.size() && folder.compare(0, windows.size(), windows) == 0 &&
            folder[windows.size()] == L'\\');
}

} // namespace vtrl::inventory
