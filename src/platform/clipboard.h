#pragma once
// The clipboard, for the text a user copies with a link instead of a selection.

#include <optional>
#include <string>

namespace vtrl::platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces what the clipboard holds with the text; false when the clipboard stays as it was.
    virtual bool PutText(const std::wstring& text) = 0;
    // The text the clipboard holds, or nothing when it holds no text or cannot be opened.
    virtual std::optional<std::wstring> Text() = 0;
};

} // namespace vtrl::platform
