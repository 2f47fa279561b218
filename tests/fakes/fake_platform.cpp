#include "fakes/fake_platform.h"

namespace vtrl::fakes {

FakePlatform::FakePlatform() {
    folders.files = &files;
    const std::pair<int, const wchar_t*> profile[] = {
        {platform::kCsidlStartup, L"C:\\users\\tester\\Start Menu\\Programs\\Startup"},
        {platform::kCsidlDesktopDirectory, L"C:\\users\\tester\\Desktop"},
        {platform::kCsidlCommonPrograms, L"C:\\ProgramData\\Start Menu\\Programs"},
        {platform::kCsidlCommonStartup, L"C:\\ProgramData\\Start Menu\\Programs\\Startup"},
        {platform::kCsidlCommonDesktopDirectory, L"C:\\users\\Public\\Desktop"},
        {platform::kCsidlAppData, L"C:\\users\\tester\\AppData\\Roaming"},
        {platform::kCsidlWindows, L"C:\\windows"},
        {platform::kCsidlSystem, L"C:\\windows\\system32"},
        {platform::kCsidlProgramFiles, L"C:\\Program Files"},
        {platform::kCsidlProfile, L"C:\\users\\tester"},
    };
    for (const auto& [csidl, path] : profile) {
        folders.special[csidl] = {platform::FolderResult::Ok, path};
        files.AddFolder(path);
    }
    files.AddFolder(L"C:\\users\\tester\\Temp");
    folders.longForms[L"C:\\users\\tester\\Temp\\"] = L"C:\\users\\tester\\Temp\\";
    files.AddFolder(folders.programFolder);
    registry.CreateKey(platform::Hive::LocalMachine, L"Software\\Microsoft");
    const std::pair<const wchar_t*, const wchar_t*> variables[] = {
        {L"SystemRoot", L"C:\\windows"},
        {L"windir", L"C:\\windows"},
        {L"SystemDrive", L"C:"},
        {L"ProgramFiles", L"C:\\Program Files"},
        {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"},
        {L"USERPROFILE", L"C:\\users\\tester"},
        {L"APPDATA", L"C:\\users\\tester\\AppData\\Roaming"},
        {L"LOCALAPPDATA", L"C:\\users\\tester\\AppData\\Local"},
        {L"TEMP", L"C:\\users\\tester\\Temp"},
        {L"PATH", L"C:\\windows\\system32;C:\\windows"},
        {L"PATHEXT", L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
    };
    for (const auto& [name, value] : variables) {
        environment.Set(name, value);
    }
}

} // namespace vtrl::fakes
