#pragma once
// Shared set-up of the inventory tests: the fake profile's facts and small builders.

#include "fakes/fake_platform.h"
#include "services/system_facts.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vtrl::inventory::testing {

// The facts FrameworkStartup gives for the fake profile, stated once so tests read plainly.
inline services::SystemFacts FakeProfileFacts(bool isAdmin = false) {
    services::SystemFacts facts;
    facts.StartupFolder = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
    facts.CommonStartupFolder = L"C:\\ProgramData\\Start Menu\\Programs\\Startup";
    facts.DesktopFolder = L"C:\\users\\tester\\Desktop";
    facts.AppDataFolder = L"C:\\users\\tester\\AppData\\Roaming";
    facts.WindowsFolder = L"C:\\windows";
    facts.SystemFolder = L"C:\\windows\\system32";
    facts.ProgramFilesFolder = L"C:\\Program Files";
    facts.WindowsDrive = L"C";
    facts.TempFolder = L"C:\\users\\tester\\Temp";
    facts.DataFolder = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";
    facts.VersionText = L"1.00";
    facts.IsAdmin = isAdmin;
    return facts;
}

// UTF-16LE bytes of the text, NULs included.
inline std::vector<std::uint8_t> Utf16Block(std::wstring_view text) {
    std::vector<std::uint8_t> bytes;
    for (const wchar_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace vtrl::inventory::testing
