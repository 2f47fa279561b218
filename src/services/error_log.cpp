#include "services/error_log.h"

#include "services/text_file.h"

namespace vtrl::services {

void TraceStep(platform::Platform& platform, const SystemFacts& facts, const std::wstring& step) {
    const std::wstring path = facts.DataFolder + L"\\" + kErrorLogName;
    if (step.empty()) {
        if (platform.files.FileExists(path)) {
            platform.files.Remove(path);
        }
        return;
    }
    WriteTextLines(platform.files, platform.locale, path,
                   {L"x|ver:" + facts.VersionText + L"|" + step});
}

} // namespace vtrl::services
