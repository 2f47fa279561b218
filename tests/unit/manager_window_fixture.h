#pragma once
// The manager window loaded headless over the fake platform, with Run-key records to list, an
// English language file and helpers to read what the pages stored.

#include "decisions/backup_log.h"
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

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunKeyPath[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

class ManagerFixture : public ::testing::Test {
protected:
    ManagerFixture() : facts(services::FrameworkStartup(fake.Get())) {
        fake.files.AddFile(
            std::wstring(kLanguages) + L"\\English.ini",
            "[INTERFACE]\r\nOK=OK\r\nNOTADMIN=Not admin.\r\nDELETED=Deleted.\r\n"
            "NOTDELETED=Not deleted.\r\nAREYOUSURE=Sure?\r\n"
            "AREYOUSUREUNDO=Restore it?\r\nRESTORED=Restored.\r\n"
            "CREATED=Created.\r\nREC-UNKNOWN=No decision yet\r\nREC-OK=Approved\r\n"
            "REC-BLACK=Restricted\r\nNORECORDS=Nothing starts.\r\n"
            "REC-NOTFOUND=File not found\r\nREC-LAUNCHER=Started by:\r\n"
            "REC-PLACE=Starts from:\r\nPLACE-REGISTRY=Run key\r\n"
            "PLACE-STARTUPFILE=File in the Startup folder\r\n"
            "REC-HIJACK=Hijack risk: another program may start\r\n"
            "REC-OPENER=Opened by:\r\nREC-HIDDENFILE=Hidden file\r\n"
            "REC-SYSTEMFILE=System file\r\nREC-REDIRECTED=The Startup folder is redirected "
            "to this folder\r\n"
            "OPTION3=Restricted:\r\nUNDODELETE=Undo delete\r\n"
            "CHECK5=Play sounds\r\nAPPLY=Apply\r\n"
            "OPTION8=Black list\r\nCLEARLIST=Clear list\r\n"
            "COMMAND16=Browse...\r\nCREATE19=Executable file name\r\n"
            "DATABUSY=Busy.\r\nNOTRESTORABLE=Not restorable:\r\nNOTREMOVABLE=Not removable.\r\n"
            "SIGVERIFIED=Verified:\r\nSIGNOTVERIFIED=Not verified\r\nSIGNOTSIGNED=Not signed\r\n"
            "APPROVEPUBLISHER=Approve everything %1 starts\r\n"
            "FACTS-LOCATION=Location\r\nFACTS-VALUENAME=Value name\r\n"
            "FACTS-FILENAME=File name\r\nFACTS-COMMANDLINE=Command line\r\n"
            "FACTS-PROGRAM=Program\r\nFACTS-DESCRIPTION=Description\r\n"
            "FACTS-COMPANY=Company\r\nFACTS-VERSION=Version\r\nFACTS-SIZE=Size\r\n"
            "FACTS-MODIFIED=Modified\r\nFACTS-RUNNING=Running now\r\n"
            "FACTS-SIGNATURE=Signature\r\nFACTS-ALSO=Also started from\r\n"
            "FACTS-YES=Yes\r\nFACTS-NO=No\r\nFACTS-NONE=(none)\r\n"
            "FACTS-UNKNOWN=(unknown)\r\nFACTS-BYTES=%1 bytes\r\nFACTS-KB=%1 KB (%2 bytes)\r\n"
            "FACTS-ALLUSERS=%1 for all users\r\nFACTS-YOURS=Your %1\r\n"
            "PLACE-SHORTCUT=Startup folder\r\nFACTS-COPY=Copy\r\n"
            "FACTS-NOTCOPIED=Not copied.\r\n");
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"English";
        fake.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
        services::SaveSetting(fake.registry, services::kAppKey, L"Data", L"FirstRun", L"WAS");
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
        return static_cast<Main&>(fake.windows.Load(
            std::make_unique<Main>(fake.Get(), fake.windows, facts, language, preopen)));
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
        decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, stored);
        return stored;
    }
    void Decide(const std::wstring& folder, const std::wstring& exe, const std::wstring& status,
                bool kill = false, bool remove = false, const std::wstring& arguments = L"") {
        decisions::Decisions stored = StoredDecisions();
        decisions::SaveDecision(fake.Get(), facts.DataFolder, stored, folder, exe, arguments, kill,
                                remove, status);
    }
    std::vector<std::wstring> MessageTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& shown : fake.messages.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    std::wstring RestartCommand() const { return services::OwnCommandLine(facts, L"", L""); }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
};

// The list, database, settings and create pages: one record to list, a user without
// administrator rights.
class ManagerWindow : public ManagerFixture {
protected:
    ManagerWindow() { AddRunRecord(L"Notes", L"C:\\Tools", L"notes.exe"); }
};

// The record and undo pages, which remove and restore records: an administrator, and the
// records each test adds.
class ManagerPages : public ManagerFixture {
protected:
    ManagerPages() { facts.IsAdmin = true; }
};

// A bottom-up (positive height) or top-down (negative) 24-bit bitmap file, every pixel `shade`.
// A text's lines, split at CR LF.
inline std::vector<std::wstring> LinesOf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

inline std::vector<std::uint8_t> BitmapFile(int width, int height, std::uint8_t shade = 0x80) {
    const int stride = ((width * 24 + 31) / 32) * 4;
    const std::uint32_t pixels =
        static_cast<std::uint32_t>(stride * (height < 0 ? -height : height));
    std::vector<std::uint8_t> file(54 + pixels, shade);
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
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(30, 0, 4);
    put(34, pixels, 4);
    for (std::size_t at = 38; at < 54; ++at) {
        file[at] = 0;
    }
    return file;
}

} // namespace vtrl::manager::testing
