#include "services/error_log.h"

#include "services/text_encoding.h"

namespace vtrl::services {

void TraceStep(platform::Platform& platform, const SystemFacts& facts, const std::wstring& step) {
    const std::wstring path = facts.DataFolder + L"\\" + kErrorLogName;
    if (step.empty()) {
        // A marker that is not there makes the delete fail, harmlessly: one call either way.
        platform.files.Remove(path);
        return;
    }
    platform.files.Overwrite(
        path, EncodeText(platform.locale, L"x|ver:" + facts.VersionText + L"|" + step + L"\r\n"));
}

} // namespace vtrl::services
