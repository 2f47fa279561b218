#pragma once
// Trust answers, hashes and stamps set by the test, per path (compared without regard to case),
// counting the calls so that a test sees which files were really checked.

#include "fakes/fake_system.h"
#include "platform/file_signature.h"

#include <map>

namespace vtrl::fakes {

class FakeFileSignatures final : public platform::FileSignatures {
public:
    struct File {
        std::optional<platform::TrustCheck> trust;
        std::optional<std::wstring> sha256;
        std::optional<platform::FileStamp> stamp;
    };

    std::optional<platform::TrustCheck> CheckTrust(const std::wstring& path) override {
        ++trustChecks;
        const auto found = files.find(FoldCase(path));
        return found == files.end() ? std::nullopt : found->second.trust;
    }
    std::optional<std::wstring> Sha256(const std::wstring& path) override {
        ++hashes;
        const auto found = files.find(FoldCase(path));
        return found == files.end() ? std::nullopt : found->second.sha256;
    }
    std::optional<platform::FileStamp> Stamp(const std::wstring& path) override {
        const auto found = files.find(FoldCase(path));
        return found == files.end() ? std::nullopt : found->second.stamp;
    }
    // A file as Windows would answer for it.
    void Set(const std::wstring& path, std::uint32_t result, const std::wstring& signer,
             const std::wstring& sha256, platform::FileStamp stamp) {
        files[FoldCase(path)] = {platform::TrustCheck{result, false, signer}, sha256, stamp};
    }

    std::map<std::wstring, File> files; // by folded path
    int trustChecks = 0;
    int hashes = 0;
};

} // namespace vtrl::fakes
