#pragma once
// The clipboard as one text.

#include "platform/clipboard.h"

#include <optional>
#include <string>

namespace vtrl::fakes {

class FakeClipboard final : public platform::Clipboard {
public:
    bool PutText(const std::wstring& text) override {
        held = text;
        return true;
    }
    std::optional<std::wstring> Text() override { return held; }

    std::optional<std::wstring> held;
};

} // namespace vtrl::fakes
