#include "platform/win32/win32_change_watch.h"

#include <windows.h>

#include <algorithm>

namespace vtrl::win32 {
namespace {

struct FindChangeTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { FindCloseChangeNotification(handle); }
};
using unique_find_change = unique_handle<FindChangeTraits>;

constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// A key's own values, or with `tree` those of its whole subtree (where sections and components
// of some places live); a subkey added directly under a key also reports a change of names.
bool ArmKey(HKEY key, bool tree, HANDLE event) {
    return RegNotifyChangeKeyValue(key, tree ? TRUE : FALSE, kKeyFilter, event, TRUE) ==
           ERROR_SUCCESS;
}

} // namespace

struct Win32ChangeWatch::Watch {
    unique_hkey key;                 // registry watches
    unique_kernel_handle event;      // signalled by the registry
    unique_find_change folderChange; // folder watches
    bool tree = false;               // a registry watch over the key's subtree
    std::function<void()> onChange;
    std::function<void()> onLost;
    bool lost = false; // no longer waited for; its handles go at the next call
    HANDLE Waited() const { return key ? event.get() : folderChange.get(); }
};

Win32ChangeWatch::Win32ChangeWatch(Win32WindowSystem& windows) : windows_(windows) {}

Win32ChangeWatch::~Win32ChangeWatch() {
    StopWatching();
}

bool Win32ChangeWatch::WatchKey(platform::Hive hive, const std::wstring& key,
                                std::function<void()> onChange, std::function<void()> onLost) {
    return Arm(hive, key, false, std::move(onChange), std::move(onLost));
}

bool Win32ChangeWatch::WatchKeyTree(platform::Hive hive, const std::wstring& key,
                                    std::function<void()> onChange, std::function<void()> onLost) {
    return Arm(hive, key, true, std::move(onChange), std::move(onLost));
}

bool Win32ChangeWatch::Arm(platform::Hive hive, const std::wstring& key, bool tree,
                           std::function<void()> onChange, std::function<void()> onLost) {
    Prune();
    auto watch = std::make_unique<Watch>();
    watch->tree = tree;
    std::wstring path = key;
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    HKEY root = hive == platform::Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_NOTIFY, watch->key.put()) != ERROR_SUCCESS) {
        watch->key.release();
        return false;
    }
    watch->event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!watch->event || !ArmKey(watch->key.get(), tree, watch->event.get())) {
        return false;
    }
    return Keep(std::move(watch), std::move(onChange), std::move(onLost));
}

bool Win32ChangeWatch::WatchFolder(const std::wstring& folder, std::function<void()> onChange,
                                   std::function<void()> onLost) {
    Prune();
    auto watch = std::make_unique<Watch>();
    watch->folderChange.reset(
        FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    if (!watch->folderChange) {
        return false;
    }
    return Keep(std::move(watch), std::move(onChange), std::move(onLost));
}

bool Win32ChangeWatch::Keep(std::unique_ptr<Watch> watch, std::function<void()> onChange,
                            std::function<void()> onLost) {
    watch->onChange = std::move(onChange);
    watch->onLost = std::move(onLost);
    Watch& armed = *watch;
    watches_.push_back(std::move(watch));
    windows_.AddWait(armed.Waited(), [this, &armed] { return Signalled(armed); });
    return true;
}

bool Win32ChangeWatch::Signalled(Watch& watch) {
    // Armed again before the callback runs, so that a change made by the callback itself (the
    // check pass deleting a value) is seen too.
    const bool rearmed = watch.key ? ArmKey(watch.key.get(), watch.tree, watch.event.get())
                                   : FindNextChangeNotification(watch.folderChange.get()) != FALSE;
    auto onChange = watch.onChange;
    auto onLost = watch.onLost;
    if (!rearmed) {
        Drop(watch); // the wait ends with this call's false
    }
    if (onChange) {
        onChange();
    }
    if (!rearmed && onLost) {
        onLost();
    }
    return rearmed;
}

void Win32ChangeWatch::Drop(Watch& watch) {
    // The window system drops the wait itself when Signalled returns false; the handles go at
    // the next call here, once no callback of this watch is running.
    watch.lost = true;
}

void Win32ChangeWatch::Prune() {
    std::erase_if(watches_, [](const auto& watch) { return watch->lost; });
}

void Win32ChangeWatch::StopWatching() {
    for (const auto& watch : watches_) {
        if (!watch->lost) {
            windows_.RemoveWait(watch->Waited());
        }
    }
    watches_.clear();
}

} // namespace vtrl::win32
