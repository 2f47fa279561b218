// Icon bitmaps from the real shell: a valid 32 x 32 bitmap file for a program with an icon, an
// older file replaced, nothing for a path the shell does not know, and the inventory scan's
// bitmaps for the records of a Run key.

#include "inventory/inventory_scan.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/icon_bitmap.h"
#include "services/system_facts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vtrl {
namespace {

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";

std::wstring BinFolder() {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\'));
}

struct BitmapHeaders {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
};

std::optional<BitmapHeaders> ParseHeaders(const std::string& bytes) {
    BitmapHeaders headers;
    if (bytes.size() < sizeof(headers.file) + sizeof(headers.info)) {
        return std::nullopt;
    }
    std::memcpy(&headers.file, bytes.data(), sizeof(headers.file));
    std::memcpy(&headers.info, bytes.data() + sizeof(headers.file), sizeof(headers.info));
    return headers;
}

class IconBitmapWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        tag = std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        dataFolder = facts.TempFolder + L"\\vtrl-icons-" + tag;
        CreateDirectoryW(dataFolder.c_str(), nullptr);
        ASSERT_TRUE(real.Get().files.FolderExists(dataFolder));
    }
    void TearDown() override {
        for (const auto& entry : real.Get().files.ListFolder(dataFolder, L"*")) {
            DeleteFileW((dataFolder + L"\\" + entry.name).c_str());
        }
        RemoveDirectoryW(dataFolder.c_str());
    }
    std::optional<services::IconBitmap> Save(const std::wstring& path, const std::wstring& name) {
        return services::SaveIconBitmap(real.Get().files, real.Get().icons, dataFolder, path,
                                        services::kIconBitmapSize, name);
    }
    std::wstring Stored(const std::wstring& name) {
        return services::IconBitmapPath(dataFolder, name);
    }
    // Checks a 32 x 32 bitmap file whose picture is more than its background.
    void ExpectIconBitmap(const std::wstring& path) {
        const auto bytes = real.Get().files.ReadAll(path);
        ASSERT_TRUE(bytes.has_value()) << "no bitmap file";
        const auto headers = ParseHeaders(*bytes);
        ASSERT_TRUE(headers.has_value()) << "too short for a bitmap: " << bytes->size();
        EXPECT_EQ(headers->file.bfType, 0x4D42); // "BM"
        EXPECT_EQ(headers->file.bfSize, bytes->size());
        EXPECT_EQ(headers->info.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(headers->info.biWidth, 32);
        EXPECT_EQ(std::abs(headers->info.biHeight), 32);
        EXPECT_EQ(headers->info.biPlanes, 1);
        ASSERT_EQ(headers->info.biBitCount, 24);
        ASSERT_EQ(headers->file.bfOffBits + 32u * 32u * 3u, bytes->size());

        // Something other than the background colour was drawn.
        const char* pixels = bytes->data() + headers->file.bfOffBits;
        bool varied = false;
        for (std::size_t i = 3; i < 32u * 32u * 3u && !varied; ++i) {
            varied = pixels[i] != pixels[i % 3];
        }
        EXPECT_TRUE(varied) << "the picture is one flat colour";

        // The system reads it back as a 32 x 32 picture.
        HANDLE loaded = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        ASSERT_NE(loaded, nullptr) << "LoadImage rejects the file";
        BITMAP described{};
        EXPECT_EQ(::GetObjectW(loaded, sizeof(described), &described),
                  static_cast<int>(sizeof(described)));
        EXPECT_EQ(described.bmWidth, 32);
        EXPECT_EQ(described.bmHeight, 32);
        DeleteObject(loaded);
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    std::wstring tag, dataFolder;
};

TEST_F(IconBitmapWineTest, ProgramWithAnIconGivesA32By32Bitmap) {
    const auto saved = Save(BinFolder() + L"\\vantorel.exe", L"vantorel.exe");
    ASSERT_TRUE(saved.has_value()) << "the shell gave no icon";
    EXPECT_TRUE(saved->saved);
    ExpectIconBitmap(Stored(L"vantorel.exe"));
    EXPECT_EQ(real.Get().files.ReadAll(Stored(L"vantorel.exe")),
              std::string(saved->picture.begin(), saved->picture.end()));
}

TEST_F(IconBitmapWineTest, OlderBitmapReplacedWithNoTemporaryFileLeft) {
    const std::wstring notepad = facts.WindowsFolder + L"\\notepad.exe";
    ASSERT_TRUE(real.Get().files.ReplaceAll(Stored(L"notepad.exe"), "an older picture"));
    ASSERT_TRUE(Save(notepad, L"notepad.exe").has_value());
    ASSERT_TRUE(Save(notepad, services::kUserIconName).has_value());
    ExpectIconBitmap(Stored(L"notepad.exe"));
    ExpectIconBitmap(Stored(L"user"));
    const auto files = real.Get().files.ListFolder(dataFolder, L"*");
    EXPECT_EQ(files.size(), 2u);
}

TEST_F(IconBitmapWineTest, PathTheShellDoesNotKnowWritesNothing) {
    ASSERT_TRUE(real.Get().files.ReplaceAll(Stored(L"missing.exe"), "an older picture"));
    const std::wstring missing = dataFolder + L"\\no such folder\\missing.exe";
    EXPECT_FALSE(Save(missing, L"missing.exe").has_value());
    EXPECT_FALSE(Save(missing, L"other.exe").has_value());
    EXPECT_EQ(real.Get().files.ReadAll(Stored(L"missing.exe")), "an older picture");
    EXPECT_FALSE(real.Get().files.FileExists(Stored(L"other.exe")));
    EXPECT_EQ(real.Get().files.ListFolder(dataFolder, L"*").size(), 1u);
}

TEST_F(IconBitmapWineTest, ScanWithIconsSavesOneBitmapPerRecord) {
    const std::wstring key = std::wstring(kTestRoot) + L"\\icons-" + tag + L"\\Run";
    const std::wstring program = BinFolder() + L"\\version_full.exe";
    {
        win32::unique_hkey handle;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, handle.put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring command = L"\"" + program + L"\" -tray";
        ASSERT_EQ(RegSetValueExW(handle.get(), L"Full", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(command.c_str()),
                                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    services::SystemFacts scanFacts = facts;
    scanFacts.DataFolder = dataFolder;
    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.places.push_back(inventory::RunKeySite(L"HKEY_CURRENT_USER\\" + key));
    const auto outcome = inventory::ScanStartupRecords(
        real.Get(), scanFacts, inventory, {.withIcons = true, .readOnly = true}, sources);
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kTestRoot) + L"\\icons-" + tag).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);

    ASSERT_EQ(outcome, inventory::ScanOutcome::Records);
    ASSERT_EQ(inventory.LastRecordIndex, 0);
    EXPECT_EQ(inventory.Records[0].ExeName, L"version_full.exe");
    ExpectIconBitmap(Stored(L"version_full.exe"));
    EXPECT_EQ(real.Get().files.ListFolder(dataFolder, L"*").size(), 1u);
}

} // namespace
} // namespace vtrl
