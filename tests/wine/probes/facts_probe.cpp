// Prints the start-up facts as the program computes them, one "Name=value" per line, for the
// end-to-end checks that run it as different users. With "--no-create" it leaves the data folder
// uncreated, for the checks that must see whether something else created it. With the argument
// "write" it then writes, reads and removes files in the data folder as the program does and
// prints each outcome (1 or 0).

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
    Print("StartupFolder", facts.StartupFolder);
    Print("VersionText", facts.VersionText);
    Print("WindowsDrive", facts.WindowsDrive);
    Print("MachineId", facts.MachineId);
    if (argc > 1 && std::wstring(argv[1]) == L"write") {
        vtrl::platform::FileSystem& files = platform.Get().files;
        const std::wstring data = facts.DataFolder + L"\\";
        const auto outcome = [](bool done) { return std::wstring(done ? L"1" : L"0"); };
        Print("ReplaceAll", outcome(files.ReplaceAll(data + L"ActionsDB.txt", "probe\r\n")));
        Print("Overwrite", outcome(files.Overwrite(data + L"fileerror.txt", "probe")));
        Print("CreateNew", outcome(files.CreateNewEmpty(data + L"12345")));
        Print("Read", outcome(files.ReadAll(data + L"ActionsDB.txt").has_value()));
        Print("Remove", outcome(files.Remove(data + L"12345")));
    }
    return 0;
}
