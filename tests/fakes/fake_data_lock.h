#pragma once
// The writer lock in memory: a test can make another process hold a folder's turn, and can see
// whether a write happened inside a turn.

#include "fakes/fake_system.h"
#include "platform/data_lock.h"

#include <functional>
#include <map>
#include <set>

namespace vtrl::fakes {

class FakeDataLocks final : public platform::DataLocks {
public:
    std::unique_ptr<platform::DataLockHold> Acquire(const std::wstring& folder,
                                                    std::uint32_t waitMilliseconds) override {
        waits.push_back(waitMilliseconds);
        const std::wstring key = FoldCase(folder);
        if (heldElsewhere.count(key) != 0) {
            return nullptr;
        }
        if (beforeGrant) {
            beforeGrant(folder);
        }
        // A Windows mutex may be taken again by the thread that holds it.
        ++depth_[key];
        return std::make_unique<Hold>(*this, key);
    }

    bool Held(const std::wstring& folder) const {
        const auto found = depth_.find(FoldCase(folder));
        return found != depth_.end() && found->second > 0;
    }

    // Folders (folded) whose turn another process holds for longer than any wait.
    std::set<std::wstring> heldElsewhere;
    // Runs as the turn is granted: what another process wrote just before it let go.
    std::function<void(const std::wstring& folder)> beforeGrant;
    std::vector<std::uint32_t> waits;

private:
    class Hold final : public platform::DataLockHold {
    public:
        Hold(FakeDataLocks& owner, std::wstring key) : owner_(owner), key_(std::move(key)) {}
        ~Hold() override { --owner_.depth_[key_]; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        FakeDataLocks& owner_;
        std::wstring key_;
    };
    std::map<std::wstring, int> depth_;
};

} // namespace vtrl::fakes
