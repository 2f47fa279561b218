// Fills a sandbox profile with sample startup records of every kind the program inventories:
// values under the user's and the machine's Run keys, a RunOnce value, and shortcuts in both
// Startup folders. The sample programs are copies of Notepad under vendor-like folders, so each
// record resolves to a real executable - all but one, an updater that was uninstalled without
// cleaning up, which the inventory leaves out. Running it again rewrites the same records.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_shell_link.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using vtrl::win32::unique_hkey;

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                path))) {
        return {};
    }
    return path;
}

bool SetRunValue(HKEY hive, const wchar_t* key, const wchar_t* name, const std::wstring& command,
                 DWORD type = REG_SZ) {
    unique_hkey opened;
    if (RegCreateKeyExW(hive, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), name, 0, type,
                          reinterpret_cast<const BYTE*>(command.c_str()), bytes) == ERROR_SUCCESS;
}

// A copy of Notepad posing as a vendor's program.
bool PlaceProgram(const std::wstring& folder, const std::wstring& name) {
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::wstring source = ShellFolder(CSIDL_SYSTEM) + L"\\notepad.exe";
    const std::wstring target = folder + L"\\" + name;
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

} // namespace

int wmain() {
    vtrl::win32::ComApartment com;
    const wchar_t* runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const wchar_t* runOnceKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const std::wstring programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    const std::wstring system = ShellFolder(CSIDL_SYSTEM);
    const std::wstring vendor = programFiles + L"\\Sample Vendor";
    const std::wstring team = programFiles + L"\\Team Tools";

    bool ok = PlaceProgram(vendor, L"SampleUpdater.exe") &&
              PlaceProgram(vendor, L"TrayHelper.exe") && PlaceProgram(team, L"TeamClock.exe");
    ok = SetRunValue(HKEY_CURRENT_USER, runKey, L"Sample Updater",
                     L"\"" + vendor + L"\\SampleUpdater.exe\" /background") &&
         ok;
    ok = SetRunValue(HKEY_CURRENT_USER, runKey, L"Quick Notes", L"notepad.exe") && ok;
    ok = SetRunValue(HKEY_CURRENT_USER, runOnceKey, L"Finish Setup",
                     system + L"\\rundll32.exe shell32.dll,Control_RunDLL") &&
         ok;
    ok = SetRunValue(HKEY_LOCAL_MACHINE, runKey, L"Sample Tray Helper",
                     vendor + L"\\TrayHelper.exe -tray") &&
         ok;
    // Installers often store the folder token unexpanded, as REG_EXPAND_SZ.
    ok = SetRunValue(HKEY_CURRENT_USER, runKey, L"Tray Helper Badge",
                     L"\"%ProgramFiles%\\Sample Vendor\\TrayHelper.exe\" /badge", REG_EXPAND_SZ) &&
         ok;
    // Left behind by an uninstaller: the program is gone, so no record shows it.
    const std::wstring gone = vendor + L"\\OldUpdater.exe";
    DeleteFileW(gone.c_str());
    ok = SetRunValue(HKEY_CURRENT_USER, runKey, L"Old Updater", L"\"" + gone + L"\" /check") && ok;

    vtrl::win32::Win32ShellLinks links;
    ok = links.CreateLink({ShellFolder(CSIDL_STARTUP) + L"\\Team Clock.lnk",
                           team + L"\\TeamClock.exe", L"Team clock", team, L"/compact", L""}) &&
         ok;
    ok = links.CreateLink({ShellFolder(CSIDL_COMMON_STARTUP) + L"\\Sample Notes.lnk",
                           system + L"\\notepad.exe", L"Notes for everyone", system, L"", L""}) &&
         ok;

    std::fputs(ok ? "sample startup records written\n"
                  : "some sample records could not be written\n",
               stdout);
    return ok ? 0 : 1;
}
