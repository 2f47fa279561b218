#pragma once
// Trust answers, hashes and stamps set by the test, per path (compared without regard to case),
// counting the calls so that a test sees which files were really checked. A file the test set
// nothing for answers from the fake file system, as an unsigned file does on Windows: no
// signature, the real SHA-256 of its bytes, its size (and no write time, which it lacks).

#include "fakes/fake_system.h"
#include "platform/file_signature.h"

#include <map>
#include <vector>
#include <string_view>

namespace vtrl::fakes {

// The SHA-256 of bytes in lower-case hex.
std::wstring Sha256Hex(std::string_view bytes);

class FakeFileSignatures final : public platform::FileSignatures {
public:
    explicit FakeFileSignatures(FakeFileSystem& fileSystem) : fileSystem_(fileSystem) {}

    struct File {
        std::optional<platform::TrustCheck> trust;
        std::optional<std::wstring> sha256;
        std::optional<platform::FileStamp> stamp;
    };

    std::optional<platform::TrustCheck> CheckTrust(const std::wstring& path) override {
        ++trustChecks;
        askedPaths.push_back(path);
        const auto found = files.find(FoldCase(path));
        if (found == files.end()) {
            return fileSystem_.FileExists(path) ? std::optional(platform::TrustCheck{})
                                                : std::nullopt;
        }
        return found->second.trust;
    }
    std::optional<std::wstring> Sha256(const std::wstring& path) override {
        ++hashes;
        askedPaths.push_back(path);
        const auto found = files.find(FoldCase(path));
        if (found == files.end()) {
            const auto bytes = fileSystem_.Content(path);
            return bytes ? std::optional(Sha256Hex(*bytes)) : std::nullopt;
        }
        return found->second.sha256;
    }
    std::optional<platform::FileStamp> Stamp(const std::wstring& path) override {
        askedPaths.push_back(path);
        const auto found = files.find(FoldCase(path));
        if (found == files.end()) {
            const auto size = fileSystem_.FileSize(path);
            return size ? std::optional(platform::FileStamp{*size, 0}) : std::nullopt;
        }
        return found->second.stamp;
    }
    // A file as Windows would answer for it.
    void Set(const std::wstring& path, std::uint32_t result, const std::wstring& signer,
             const std::wstring& sha256, platform::FileStamp stamp) {
        files[FoldCase(path)] = {platform::TrustCheck{result, false, signer}, sha256, stamp};
    }

    std::map<std::wstring, File> files;   // by folded path
    std::vector<std::wstring> askedPaths; // every path asked about, as given
    int trustChecks = 0;
    int hashes = 0;

private:
    FakeFileSystem& fileSystem_;
};

} // namespace vtrl::fakes
