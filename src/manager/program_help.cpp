#include "manager/program_help.h"

#include "services/error_log.h"
#include "services/web_links.h"

namespace vtrl::manager {
namespace {

constexpr wchar_t kWebSearchPrefix[] = L"https://www.bing.com/search?q=What is ";

} // namespace

std::wstring ShownProgramName(platform::Locale& locale, const inventory::StartupRecord& record) {
    return locale.ToUpper(record.ExeName);
}

std::wstring WebSearchAddress(const std::wstring& upperCaseName) {
    return kWebSearchPrefix + upperCaseName;
}

void OpenProgramFolder(platform::Platform& platform, const inventory::StartupRecord& record) {
    if (platform.files.FolderExists(record.ExeFolder)) {
        services::OpenInBrowser(platform, record.ExeFolder);
    }
}

void ShowProgramProperties(platform::Platform& platform, const services::SystemFacts& facts,
                           const inventory::StartupRecord& record) {
    services::TraceStep(platform.files, platform.locale, facts, services::kStepFileProperties);
    platform.launcher.ShowFileProperties(record.ExeFolder + L"\\" +
                                         ShownProgramName(platform.locale, record));
    services::TraceStep(platform.files, platform.locale, facts, L"");
}

void SearchWebForProgram(platform::Platform& platform, const inventory::StartupRecord& record) {
    services::OpenInBrowser(platform, WebSearchAddress(ShownProgramName(platform.locale, record)));
}

} // namespace vtrl::manager
