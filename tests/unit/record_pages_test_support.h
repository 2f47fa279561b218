#pragma once
// The manager window loaded headless over the fake platform with a few Run-key records, for the
// tests of its record and undo pages.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "fakes/fake_platform.h"
#include "manager/main_window.h"
#include "monitor/check_cycle.h"
#include "services/registry_access.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vtrl::manager::testing {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunKeyPath[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

class ManagerPages : public ::testing::Test {
protected:
    ManagerPages() : facts(services::FrameworkStartup(fake.Get())) {
        fake.files.AddFile(std::wstring(kLanguages) + L"\\English.ini",
                           "[INTERFACE]\r\nOK=OK\r\nNOTADMIN=Not admin.\r\nDELETED=Deleted.\r\n"
                           "NOTDELETED=Not deleted.\r\nAREYOUSURE=Sure?\r\n"
                           "AREYOUSUREUNDO=Restore it?\r\nRESTORED=Restored.\r\n"
                           "REC-UNKNOWN=No decision yet\r\nREC-OK=Approved\r\n"
                           "REC-BLACK=Restricted\r\nNORECORDS=Nothing starts.\r\n"
                           "OPTION3=Restricted:\r\nUNDODELETE=Undo delete\r\n");
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"English";
        fake.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
        services::SaveSetting(fake.registry, services::kAppKey, L"Data", L"FirstRun", L"WAS");
        facts.IsAdmin = true;
    }

    // A Run value starting folder\exe with the arguments.
    void AddRunRecord(const std::wstring& value, const std::wstring& folder,
                      const std::wstring& exe, const std::wstring& arguments = L"") {
        fake.files.AddFile(folder + L"\\" + exe, "MZ");
        std::wstring command = folder + L"\\" + exe;
        if (!arguments.empty()) {
            command += L" " + arguments;
        }
        fake.registry.SetValue(platform::Hive::CurrentUser, kRunKey, value,
                               {platform::kRegSz, services::EncodeRegSz(command)});
    }
    bool RunValuePresent(const std::wstring& value) {
        return fake.registry.QueryValue(platform::Hive::CurrentUser, kRunKey, value).has_value();
    }

    Main& Open(const std::wstring& preopen = L"") {
        return static_cast<Main&>(
            fake.windows.Load(std::make_unique<Main>(fake.Get(), facts, language, preopen)));
    }

    // The decisions as a fresh process would read them.
    decisions::Decisions StoredDecisions() {
        decisions::Decisions stored;
        decisions::LoadDecisions(fake.Get(), facts.DataFolder, stored);
        return stored;
    }
    std::vector<std::wstring> MessageTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& shown : fake.messages.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    std::wstring RestartCommand() const { return monitor::OwnCommandLine(facts, L"", L""); }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
};

} // namespace vtrl::manager::testing
