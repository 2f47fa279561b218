// The signature facility against the real API: SHA-256 through bcrypt, the file's stamp, and
// WinVerifyTrust's answer for files that carry no signature. Signed files are made by the
// end-to-end case 78, which has the tools to sign them.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_file_signature.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace vtrl::win32 {
namespace {

class FileSignatureWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"vtrl-signature-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    void TearDown() override {
        for (const std::wstring& file : written) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + name;
        unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file);
        DWORD done = 0;
        EXPECT_TRUE(
            WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
        written.push_back(path);
        return path;
    }
    std::wstring folder;
    std::vector<std::wstring> written;
    Win32FileSignatures signatures;
};

TEST_F(FileSignatureWineTest, Sha256OfKnownContents) {
    EXPECT_EQ(signatures.Sha256(Write(L"abc.txt", "abc")),
              L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(signatures.Sha256(Write(L"empty.txt", "")),
              L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // More than one read buffer (64 KiB), so that every chunk counts.
    EXPECT_EQ(signatures.Sha256(Write(L"large.bin", std::string(200000, 'a'))),
              L"2287d207f24a941ff3b56c04c8a25ad56b63e3023207b3bb5b4ac0c9869d74be");
    EXPECT_FALSE(signatures.Sha256(folder + L"\\missing.exe"));
}

TEST_F(FileSignatureWineTest, StampFollowsSizeAndWriteTime) {
    const std::wstring path = Write(L"stamp.bin", "12345");
    const auto first = signatures.Stamp(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 5u);
    EXPECT_NE(first->lastWrite, 0u);
    {
        unique_file file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        FILETIME later{};
        later.dwLowDateTime = static_cast<DWORD>((first->lastWrite + 10000000) & 0xFFFFFFFF);
        later.dwHighDateTime = static_cast<DWORD>((first->lastWrite + 10000000) >> 32);
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &later));
    }
    const auto second = signatures.Stamp(path);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size, 5u);
    EXPECT_EQ(second->lastWrite, first->lastWrite + 10000000);
    EXPECT_FALSE(signatures.Stamp(folder)) << "a folder has no stamp";
    EXPECT_FALSE(signatures.Stamp(folder + L"\\missing.exe"));
}

TEST_F(FileSignatureWineTest, UnsignedFilesAnswerNoSignature) {
    wchar_t own[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, own, MAX_PATH), 0u);
    for (const std::wstring& path : {std::wstring(own), Write(L"note.txt", "no program")}) {
        const auto check = signatures.CheckTrust(path);
        ASSERT_TRUE(check) << std::string(path.begin(), path.end());
        EXPECT_TRUE(platform::IsUnsignedAnswer(check->result)) << std::hex << check->result;
        EXPECT_TRUE(check->signer.empty());
    }
    EXPECT_FALSE(signatures.CheckTrust(folder + L"\\missing.exe"));
}

} // namespace
} // namespace vtrl::win32
