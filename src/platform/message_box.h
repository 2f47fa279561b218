#pragma once
// Standard modal message boxes.

#include <string>

namespace vtrl::platform {

enum class MessageIcon { None, Information, Warning, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No, Failed };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box without an owner window and waits until it is closed; the button pressed,
    // or Failed when no box could be shown.
    virtual MessageAnswer Show(const std::wstring& text, const std::wstring& caption,
                               MessageIcon icon, MessageButtons buttons) = 0;
};

} // namespace vtrl::platform
