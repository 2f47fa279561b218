#pragma once
// Being told when a registry key's values or a folder's file names change, on the thread that
// runs the windows' message loop, without polling.

#include "platform/registry.h"

#include <functional>
#include <string>

namespace vtrl::platform {

class ChangeWatch {
public:
    virtual ~ChangeWatch() = default;
    // onChange runs each time a value of the key is added, changed or deleted. When the watch
    // ends by itself (the key was deleted, the folder removed) onLost runs once. False when the
    // key or folder cannot be watched now (missing, access denied); nothing is armed then.
    virtual bool WatchKey(Hive hive, const std::wstring& key, std::function<void()> onChange,
                          std::function<void()> onLost) = 0;
    // The same for the values of the key and of every subkey below it, and subkeys added or
    // deleted anywhere below it.
    virtual bool WatchKeyTree(Hive hive, const std::wstring& key, std::function<void()> onChange,
                              std::function<void()> onLost) = 0;
    // The same for files added to, removed from or renamed in the folder.
    virtual bool WatchFolder(const std::wstring& folder, std::function<void()> onChange,
                             std::function<void()> onLost) = 0;
    // Ends every watch; no callback runs afterwards.
    virtual void StopWatching() = 0;
};

} // namespace vtrl::platform
