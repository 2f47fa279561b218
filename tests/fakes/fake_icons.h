#pragma once
// Icons the fake shell knows, by path, and every request it was asked.

#include "fakes/fake_system.h"
#include "platform/icons.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vtrl::fakes {

class FakeIcons final : public platform::Icons {
public:
    std::optional<std::vector<std::uint8_t>> RenderIconBitmap(const std::wstring& path,
                                                              int size) override {
        requests.push_back({path, size});
        if (onRender) {
            onRender(path);
        }
        const auto found = pictures.find(FoldCase(path));
        if (found == pictures.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::optional<std::vector<std::uint8_t>> RenderPictureFile(const std::wstring& path) override {
        pictureRequests.push_back(path);
        const auto found = pictureFiles.find(FoldCase(path));
        if (found == pictureFiles.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    struct Request {
        std::wstring path;
        int size = 0;
    };
    std::vector<Request> requests;
    std::map<std::wstring, std::vector<std::uint8_t>> pictures; // keyed by folded path
    std::function<void(const std::wstring& path)> onRender;     // sees the state while drawing
    // Decoded picture files, keyed by folded path, and every path asked for.
    std::map<std::wstring, std::vector<std::uint8_t>> pictureFiles;
    std::vector<std::wstring> pictureRequests;
};

} // namespace vtrl::fakes
