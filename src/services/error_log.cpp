#include "services/error_log.h"

#include "services/text_encoding.h"

namespace vtrl::services {

void TraceStep(platform::FileSystem& files, platform::Locale& locale, const SystemFacts& facts,
               const std::wstring& step) {
    const std::wstring path = facts.DataFolder + L"\\" + kErrorLogName;
    if (step.empty()) {
        // A marker that is not there makes the delete fail, harmlessly: one call either way.
        files.Remove(path);
        return;
    }
    files.Overwrite(path,
                    EncodeText(locale, L"x|ver:" + facts.VersionText + L"|" + step + L"\r\n"));
}

} // namespace vtrl::services
