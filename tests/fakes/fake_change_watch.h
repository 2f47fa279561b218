#pragma once
// Watches kept in a list; a test fires a change or loses a watch by hand.

#include "platform/change_watch.h"

#include <functional>
#include <string>
#include <vector>

namespace vtrl::fakes {

class FakeChangeWatch final : public platform::ChangeWatch {
public:
    // Keys are named with their hive: "HKEY_CURRENT_USER\\Software\\...".
    bool WatchKey(platform::Hive hive, const std::wstring& key, std::function<void()> onChange,
                  std::function<void()> onLost) override {
        const std::wstring root =
            hive == platform::Hive::CurrentUser ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\";
        return Add(root + key, std::move(onChange), std::move(onLost));
    }
    // Recorded as the key with "\\*" appended.
    bool WatchKeyTree(platform::Hive hive, const std::wstring& key, std::function<void()> onChange,
                      std::function<void()> onLost) override {
        return WatchKey(hive, key + L"\\*", std::move(onChange), std::move(onLost));
    }
    bool WatchFolder(const std::wstring& folder, std::function<void()> onChange,
                     std::function<void()> onLost) override {
        return Add(folder, std::move(onChange), std::move(onLost));
    }
    void StopWatching() override { watches.clear(); }

    // Runs the change callback of every watch of the key or folder; false when none is armed.
    bool Fire(const std::wstring& target) {
        bool fired = false;
        for (auto watch : watches) {
            if (watch.target == target) {
                watch.onChange();
                fired = true;
            }
        }
        return fired;
    }
    void Lose(const std::wstring& target) {
        std::vector<Watch> lost;
        std::erase_if(watches, [&](const Watch& watch) {
            if (watch.target == target) {
                lost.push_back(watch);
                return true;
            }
            return false;
        });
        for (auto& watch : lost) {
            watch.onLost();
        }
    }
    bool Watching(const std::wstring& target) const {
        for (const auto& watch : watches) {
            if (watch.target == target) {
                return true;
            }
        }
        return false;
    }

    struct Watch {
        std::wstring target;
        std::function<void()> onChange;
        std::function<void()> onLost;
    };
    std::vector<Watch> watches;
    std::vector<std::wstring> unwatchable; // keys and folders that cannot be watched

private:
    bool Add(const std::wstring& target, std::function<void()> onChange,
             std::function<void()> onLost) {
        for (const auto& refused : unwatchable) {
            if (refused == target) {
                return false;
            }
        }
        watches.push_back({target, std::move(onChange), std::move(onLost)});
        return true;
    }
};

} // namespace vtrl::fakes
