#pragma once
// The clipboard as one text; a locked one (another program holds it open) takes nothing.

#include "platform/clipboard.h"

#include <optional>
#include <string>

namespace vtrl::fakes {

class FakeClipboard final : public platform::Clipboard {
public:
    bool PutText(const std::wstring& text) override {
        if (locked) {
            return false;
        }
        held = text;
        return true;
    }
    std::optional<std::wstring> Text() override { return held; }

    std::optional<std::wstring> held;
    bool locked = false;
};

} // namespace vtrl::fakes
