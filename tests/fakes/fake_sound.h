#pragma once
// Records what would have been played.

#include "platform/sound.h"

#include <string>
#include <vector>

namespace vtrl::fakes {

class FakeSound final : public platform::Sound {
public:
    bool PlayFileAsync(const std::wstring& path) override {
        played.push_back(path);
        return playSucceeds;
    }

    std::vector<std::wstring> played; // every path asked for, failed ones included
    bool playSucceeds = true;
};

} // namespace vtrl::fakes
