#pragma once
// Shared set-up of the decision and backup-log tests: the fake platform, its data folder, and a
// file system that can refuse to read one file that exists, as a locked or damaged file does,
// report a size the fake cannot hold, and watch every replacement.

#include "fakes/fake_platform.h"

#include <functional>
#include <map>
#include <set>
#include <string>

namespace vtrl::decisions::testing {

inline constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";

class UnreadableFiles final : public platform::FileSystem {
public:
    explicit UnreadableFiles(fakes::FakeFileSystem& inner) : inner_(inner) {}
    bool FileExists(const std::wstring& path) override { return inner_.FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return inner_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override { return inner_.CreateFolder(path); }
    std::optional<std::string> ReadAll(const std::wstring& path) override {
        if (unreadable.count(fakes::FoldCase(path)) != 0) {
            return std::nullopt;
        }
        return inner_.ReadAll(path);
    }
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override {
        if (onReplace) {
            onReplace(path);
        }
        return inner_.ReplaceAll(path, bytes);
    }
    bool CreateNewEmpty(const std::wstring& path) override { return inner_.CreateNewEmpty(path); }
    bool Remove(const std::wstring& path) override { return inner_.Remove(path); }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        const auto reported = reportedSizes.find(fakes::FoldCase(path));
        if (reported != reportedSizes.end()) {
            return reported->second;
        }
        return inner_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        return inner_.ListFolder(folder, pattern);
    }

    std::optional<std::uint32_t> FileAttributes(const std::wstring& path) override {
        return inner_.FileAttributes(path);
    }
    bool ChangeAttributes(const std::wstring& path, std::uint32_t attributes) override {
        return inner_.ChangeAttributes(path, attributes);
    }

    std::set<std::wstring> unreadable;                       // folded paths
    std::map<std::wstring, std::uint64_t> reportedSizes;     // folded path -> size to report
    std::function<void(const std::wstring& path)> onReplace; // before every replacement

private:
    fakes::FakeFileSystem& inner_;
};

// The fake platform with its files seen through UnreadableFiles.
class DecisionFixture {
public:
    DecisionFixture() { fake.files.AddFolder(kDataFolder); }
    platform::Platform& Get() { return platform_; }
    void MakeUnreadable(const std::wstring& path) {
        files.unreadable.insert(fakes::FoldCase(path));
    }
    void MakeReadable(const std::wstring& path) { files.unreadable.erase(fakes::FoldCase(path)); }

    fakes::FakePlatform fake;
    UnreadableFiles files{fake.files};

private:
    platform::Platform platform_ = fake.WithFiles(files);
};

} // namespace vtrl::decisions::testing
