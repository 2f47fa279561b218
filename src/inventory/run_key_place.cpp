#include "inventory/run_key_place.h"

#include "inventory/registry_value_edit.h"
#include "inventory/run_key_scan.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

void RunKeyPlace::List(ScanContext& context, const PlaceSite& site) const {
    ScanRunKey(context, site.location, kind_, site.values);
}

bool RunKeyPlace::CanRemove(const StartupRecord& record) const {
    return NamesValueExactly(record);
}

std::optional<PlaceContent> RunKeyPlace::Read(platform::Platform& platform,
                                              const StartupRecord& record) const {
    return ReadValueContent(platform.registry, record.Location, record.EntryName,
                            FullLocation(record));
}

bool RunKeyPlace::Remove(platform::Platform& platform, const StartupRecord& record) const {
    return DeleteNamedValue(platform.registry, platform.locale, record.Location, record.EntryName);
}

std::optional<std::wstring> RunKeyPlace::EntryAt(platform::Locale& locale, const PlaceSite& site,
                                                 const std::wstring& fullLocation) const {
    auto name = RestAfter(locale, fullLocation, site.location);
    if (!name || site.values.empty()) {
        return name;
    }
    for (const std::wstring& covered : site.values) {
        if (locale.ToLower(covered) == locale.ToLower(*name)) {
            return name;
        }
    }
    return std::nullopt;
}

bool RunKeyPlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                            const std::wstring& entry, const PlaceContent& content) const {
    return WriteValueContent(platform.registry, site.location, entry, content);
}

bool RunKeyPlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                               const std::wstring& entry, const LoggedRecord& logged) const {
    return WriteNamedValue(platform.registry, site.location, entry,
                           {platform::kRegSz, services::EncodeRegSz(logged.commandLine)});
}

const StartupPlace& RunKeyValues() {
    static const RunKeyPlace place(kKindRegistry);
    return place;
}

const StartupPlace& PolicyRunValues() {
    static const RunKeyPlace place(kKindPolicyRun);
    return place;
}

const StartupPlace& BootVerificationProgram() {
    static const RunKeyPlace place(kKindBootVerify);
    return place;
}

} // namespace vtrl::inventory
