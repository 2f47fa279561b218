#include "platform/win32/win32_data_lock.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <vector>

namespace vtrl::win32 {

namespace {

// The full path in upper case, without a trailing backslash: Windows compares paths so.
std::wstring CanonicalFolder(const std::wstring& folder) {
    std::wstring path = folder;
    const DWORD needed = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<wchar_t> buffer(needed + 1);
        const DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length > 0 && length < buffer.size()) {
            path.assign(buffer.data(), length);
        }
    }
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    if (!path.empty()) {
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    return path;
}

// 64-bit FNV-1a over the UTF-16 code units: a short, stable name for any path length.
std::uint64_t Fnv1a(const std::wstring& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const wchar_t unit : text) {
        for (const unsigned byte :
             {static_cast<unsigned>(unit) & 0xFFu, (static_cast<unsigned>(unit) >> 8) & 0xFFu}) {
            hash ^= byte;
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}

class MutexHold final : public platform::DataLockHold {
public:
    explicit MutexHold(unique_kernel_handle mutex) : mutex_(std::move(mutex)) {}
    ~MutexHold() override { ReleaseMutex(mutex_.get()); }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

private:
    unique_kernel_handle mutex_;
};

// The user's own SID as text ("S-1-5-21-..."), from the process token; empty when unknown.
std::wstring UserSidText() {
    unique_kernel_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return {};
    }
    std::vector<std::byte> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

// The mutex's security, so that an elevated manager and the user's standard agent share one
// lock whoever makes it first: an elevated token's default security would grant only
// administrators, and its high integrity label would refuse a standard process the release
// right. SYSTEM and administrators get everything, the user wait and release, and the label is
// medium (a process may always label an object below its own level).
std::wstring MutexSecurityText() {
    const std::wstring user = UserSidText();
    if (user.empty()) {
        return {};
    }
    return L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;" + user + L")S:(ML;;NW;;;ME)";
}

// CreateMutexW with that security; a system that cannot build the descriptor gets the default.
HANDLE CreateSharedMutex(const std::wstring& name) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring text = MutexSecurityText();
    if (!text.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                             text.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
        HANDLE mutex = CreateMutexW(&attributes, FALSE, name.c_str());
        LocalFree(descriptor);
        if (mutex != nullptr) {
            return mutex;
        }
    }
    return CreateMutexW(nullptr, FALSE, name.c_str());
}

} // namespace

std::wstring DataLockName(const std::wstring& folder) {
    wchar_t hex[17] = {};
    std::swprintf(hex, 17, L"%016llX",
                  static_cast<unsigned long long>(Fnv1a(CanonicalFolder(folder))));
    return std::wstring(L"Local\\Vantorel.DataFolder.") + hex;
}

std::unique_ptr<platform::DataLockHold> Win32DataLocks::Acquire(const std::wstring& folder,
                                                                std::uint32_t waitMilliseconds) {
    if (folder.empty() || folder.find(L'\0') != std::wstring::npos) {
        return nullptr;
    }
    const std::wstring name = DataLockName(folder);
    unique_kernel_handle mutex(CreateSharedMutex(name));
    if (!mutex) {
        // Made by a process that grants us less than everything: waiting and releasing are all
        // we need.
        mutex.reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    }
    if (!mutex) {
        return nullptr;
    }
    const DWORD waited = WaitForSingleObject(mutex.get(), waitMilliseconds);
    // WAIT_ABANDONED: the holder ended without releasing; the files it was writing are whole
    // (every rewrite replaces a file in one step), so the turn is simply ours now.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        return nullptr;
    }
    return std::make_unique<MutexHold>(std::move(mutex));
}

} // namespace vtrl::win32
