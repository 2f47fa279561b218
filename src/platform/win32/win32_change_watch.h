#pragma once

#include "platform/change_watch.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_window_system.h"

#include <memory>
#include <vector>

namespace vtrl::win32 {

// Registry keys through RegNotifyChangeKeyValue and folders through change notifications; the
// window system's message loop waits for their events beside the window messages.
class Win32ChangeWatch final : public platform::ChangeWatch {
public:
    explicit Win32ChangeWatch(Win32WindowSystem& windows);
    Win32ChangeWatch(const Win32ChangeWatch&) = delete;
    Win32ChangeWatch& operator=(const Win32ChangeWatch&) = delete;
    ~Win32ChangeWatch() override;

    bool WatchKey(platform::Hive hive, const std::wstring& key, std::function<void()> onChange,
                  std::function<void()> onLost) override;
    bool WatchKeyTree(platform::Hive hive, const std::wstring& key, std::function<void()> onChange,
                      std::function<void()> onLost) override;
    bool WatchFolder(const std::wstring& folder, std::function<void()> onChange,
                     std::function<void()> onLost) override;
    void StopWatching() override;

private:
    struct Watch;
    bool Arm(platform::Hive hive, const std::wstring& key, bool tree,
             std::function<void()> onChange, std::function<void()> onLost);
    // Keeps an armed watch and waits for it in the message loop.
    bool Keep(std::unique_ptr<Watch> watch, std::function<void()> onChange,
              std::function<void()> onLost);
    bool Signalled(Watch& watch);
    void Drop(Watch& watch);
    void Prune();

    Win32WindowSystem& windows_;
    std::vector<std::unique_ptr<Watch>> watches_;
};

} // namespace vtrl::win32
