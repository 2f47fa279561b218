#pragma once
// The manager window loaded headless over the fake platform, with Run-key records to list, an
// English language file and helpers to read what the pages stored.

#include "decisions/decision_database.h"
#include "fakes/fake_platform.h"
#include "manager/main_window.h"
#include "monitor/check_cycle.h"
#include "services/registry_access.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vtrl::manager::testing {

class ManagerWindow : public ::testing::Test {
protected:
    static constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

    ManagerWindow() : facts(services::FrameworkStartup(fake.Get())) {
        fake.files.AddFile(std::wstring(kLanguages) + L"\\English.ini",
                           "[INTERFACE]\r\nOK=OK\r\nAREYOUSURE=Sure?\r\nCREATED=Created.\r\n"
                           "REC-UNKNOWN=No decision yet\r\nREC-OK=Approved\r\n"
                           "REC-BLACK=Restricted\r\nCHECK5=Play sounds\r\nAPPLY=Apply\r\n"
                           "OPTION8=Black list\r\nCLEARLIST=Clear list\r\n"
                           "COMMAND16=Browse...\r\nCREATE19=Executable file name\r\n");
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"English";
        fake.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
        services::SaveSetting(fake.registry, services::kAppKey, L"Data", L"FirstRun", L"WAS");
        AddRunRecord(L"Notes", L"C:\\Tools", L"notes.exe");
    }

    void AddRunRecord(const std::wstring& value, const std::wstring& folder,
                      const std::wstring& exe) {
        fake.files.AddFile(folder + L"\\" + exe, "MZ");
        fake.registry.SetValue(platform::Hive::CurrentUser, kRunKey, value,
                               {platform::kRegSz, services::EncodeRegSz(folder + L"\\" + exe)});
    }

    Main& Open() {
        return static_cast<Main&>(
            fake.windows.Load(std::make_unique<Main>(fake.Get(), facts, language, L"")));
    }

    std::wstring Setting(const std::wstring& key) {
        return services::GetSetting(fake.registry, services::kAppKey, L"Settings", key);
    }
    bool SettingStored(const std::wstring& key) {
        return fake.registry
            .QueryValue(platform::Hive::CurrentUser,
                        services::SettingsKeyPath(services::kAppKey, L"Settings"), key)
            .has_value();
    }
    void Store(const std::wstring& key, const std::wstring& value) {
        services::SaveSetting(fake.registry, services::kAppKey, L"Settings", key, value);
    }

    // The decisions as a fresh process reads them.
    decisions::Decisions StoredDecisions() {
        decisions::Decisions stored;
        decisions::LoadDecisions(fake.Get(), facts.DataFolder, stored);
        return stored;
    }
    void Decide(const std::wstring& folder, const std::wstring& exe, const std::wstring& status,
                bool kill = false, bool remove = false, const std::wstring& arguments = L"") {
        decisions::Decisions stored = StoredDecisions();
        decisions::SaveDecision(fake.Get(), facts.DataFolder, stored, folder, exe, arguments, kill,
                                remove, status);
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
};

// A 32 x 32 bitmap file with 24-bit pixels of one colour.
inline std::vector<std::uint8_t> SolidBitmap(std::uint8_t shade) {
    constexpr std::uint32_t kSide = 32;
    constexpr std::uint32_t kPixels = kSide * kSide * 3;
    std::vector<std::uint8_t> file(54 + kPixels, shade);
    auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(6, 0, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, kSide, 4);
    put(22, kSide, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (std::size_t at = 30; at < 54; ++at) {
        file[at] = 0;
    }
    put(34, kPixels, 4);
    return file;
}

} // namespace vtrl::manager::testing
