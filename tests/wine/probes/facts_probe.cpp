// Prints the start-up facts as the program computes them, one "Name=value" per line, for the
// end-to-end checks that run it as different users. With "--no-create" it leaves the data folder
// uncreated, for the checks that must see whether something else created it.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void Print(const char* name, const std::wstring& value) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, text.data(), size, nullptr, nullptr);
    std::printf("%s=%s\n", name, text.c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    vtrl::win32::ComApartment com;
    vtrl::win32::Win32Platform platform;
    const bool create = !(argc > 1 && std::wstring(argv[1]) == L"--no-create");
    const vtrl::services::SystemFacts facts =
        vtrl::services::FrameworkStartup(platform.Get(), {.createDataFolder = create});
    Print("IsAdmin", facts.IsAdmin ? L"1" : L"0");
    Print("DataFolder", facts.DataFolder);
    Print("TempFolder", facts.TempFolder);
    Print("VersionText", facts.VersionText);
    Print("WindowsDrive", facts.WindowsDrive);
    Print("MachineId", facts.MachineId);
    return 0;
}
