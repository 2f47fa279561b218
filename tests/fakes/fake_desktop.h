#pragma once
// Windows of other processes as a set of captions; closes are recorded.

#include "platform/desktop.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vtrl::fakes {

class FakeDesktop final : public platform::Desktop {
public:
    void CloseWindowByTitle(const std::wstring& caption, bool quit) override {
        closes.emplace_back(caption, quit);
        open.erase(caption);
    }
    bool WindowExists(const std::wstring& caption) override { return open.count(caption) != 0; }

    std::set<std::wstring> open;                       // captions of windows now open
    std::vector<std::pair<std::wstring, bool>> closes; // caption and quit flag, in order
};

} // namespace vtrl::fakes
