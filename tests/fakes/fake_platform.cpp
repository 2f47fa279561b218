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
}

} // namespace vtrl::fakes
