#include "platform/win32/win32_folders.h"

#include <windows.h>
#include <bcrypt.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace vtrl::win32 {

namespace {

bool Usable(const std::wstring& path) {
    return !path.empty() && path.find(L'\0') == std::wstring::npos;
}

// Runs a "fill this buffer" path function that reports the length it needs when the buffer is
// too small; tries once more with the reported size.
template <typename Call> std::optional<std::wstring> GrowingPathCall(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.assign(static_cast<std::size_t>(length) + 1, L'\0');
    }
    return std::nullopt;
}

} // namespace

std::wstring OwnExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

platform::FolderAnswer Win32Folders::SpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT result =
        SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (result == S_OK) {
        return {platform::FolderResult::Ok, std::wstring(buffer)};
    }
    if (result == E_INVALIDARG) {
        return {platform::FolderResult::InvalidId, {}};
    }
    if (result == S_FALSE) {
        return {platform::FolderResult::DoesNotExist, {}};
    }
    return {platform::FolderResult::Failed, {}};
}

std::optional<std::wstring> Win32Folders::KnownFolderPath(platform::KnownFolder folder) {
    const KNOWNFOLDERID& id =
        folder == platform::KnownFolder::Startup ? FOLDERID_Startup : FOLDERID_CommonStartup;
    // The shell keeps the folder paths it has read for the process; a redirection made since
    // (the resident agent asks again) must be read from the registry, as Windows reads it at logon.
    SHFlushSFCache();
    // Not verified: a redirection to a folder that is missing now is still where Windows looks.
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    // The buffer is the caller's to free whatever the result.
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, &CoTaskMemFree);
    if (FAILED(result) || path == nullptr || *path == L'\0') {
        return std::nullopt;
    }
    return std::wstring(path);
}

std::optional<std::wstring> Win32Folders::TempPath() {
    return GrowingPathCall([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::optional<std::wstring> Win32Folders::LongPath(const std::wstring& path) {
    if (!Usable(path)) {
        return std::nullopt;
    }
    return GrowingPathCall(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(path.c_str(), buffer, size); });
}

std::optional<std::wstring> Win32Folders::ShortPath(const std::wstring& path) {
    if (!Usable(path)) {
        return std::nullopt;
    }
    return GrowingPathCall(
        [&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(path.c_str(), buffer, size); });
}

std::optional<std::wstring> Win32Folders::CreateUniqueFolder(const std::wstring& parent,
                                                             const std::wstring& prefix) {
    // 64 random bits: a name nobody can guess in advance. A clash is retried a few times.
    constexpr int kTries = 8;
    constexpr std::size_t kRandomBytes = 8;
    if (!Usable(parent) || prefix.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < kTries; ++attempt) {
        UCHAR random[kRandomBytes] = {};
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, random, sizeof(random),
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
            return std::nullopt;
        }
        std::wstring path = parent + L"\\" + prefix;
        for (const UCHAR byte : random) {
            static constexpr wchar_t kHex[] = L"0123456789abcdef";
            path += kHex[byte >> 4];
            path += kHex[byte & 0x0F];
        }
        if (CreateDirectoryW(path.c_str(), nullptr)) {
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::wstring Win32Folders::ProgramFolder() {
    const std::wstring path = OwnExecutablePath();
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Win32Folders::ProgramName() {
    const std::wstring path = OwnExecutablePath();
    const auto slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}

} // namespace vtrl::win32
