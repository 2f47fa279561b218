#pragma once
// Shared set-up of the decision and backup-log tests: the fake platform, its data folder, and a
// file system that can refuse to read one file that exists, as a locked or damaged file does.

#include "fakes/fake_platform.h"

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
        return inner_.ReplaceAll(path, bytes);
    }
    bool CreateNewEmpty(const std::wstring& path) override { return inner_.CreateNewEmpty(path); }
    bool Remove(const std::wstring& path) override { return inner_.Remove(path); }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        return inner_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        return inner_.ListFolder(folder, pattern);
    }

    std::set<std::wstring> unreadable; // folded paths

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
