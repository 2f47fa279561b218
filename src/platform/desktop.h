#pragma once
// Top-level windows of other processes, found by their exact caption.

#include <string>

namespace vtrl::platform {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Asks the top-level window with exactly this caption to close (WM_CLOSE), or with quit set
    // posts it WM_QUIT. Nothing happens when there is no such window.
    virtual void CloseWindowByTitle(const std::wstring& caption, bool quit) = 0;
    // Whether a top-level window with exactly this caption exists.
    virtual bool WindowExists(const std::wstring& caption) = 0;
};

} // namespace vtrl::platform
