#include "inventory/subkey_place.h"

#include "inventory/inventory_scan.h"
#include "inventory/registry_value_edit.h"
#include "inventory/run_key_scan.h"
#include "inventory/run_once_ex_entry.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

namespace {

std::vector<std::wstring> Subkeys(platform::Registry& registry, const std::wstring& key) {
    const auto location = services::ParseRegistryLocation(key);
    if (!location) {
        return {};
    }
    return registry.ListSubkeyNames(location->hive, location->keyPath)
        .value_or(std::vector<std::wstring>{});
}

bool IsDepend(platform::Locale& locale, const std::wstring& name) {
    return locale.ToLower(name) == locale.ToLower(kRunOnceExDepend);
}

} // namespace

void SubkeyPlace::ListSection(ScanContext& context, const std::wstring& key, bool depend) const {
    platform::Platform& platform = context.platform;
    const auto location = services::ParseRegistryLocation(key);
    const auto names = location
                           ? platform.registry.ListValueNames(location->hive, location->keyPath)
                           : std::nullopt;
    for (const std::wstring& name : names.value_or(std::vector<std::wstring>{})) {
        // A section's unnamed value is its title.
        if (name.empty() && !depend) {
            continue;
        }
        const auto value = platform.registry.QueryValue(location->hive, location->keyPath, name);
        if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
            continue;
        }
        StartupRecord record;
        record.Kind = kind_;
        record.Location = key;
        record.EntryName = name;
        record.CommandLine = services::FormatRegistryValue(*value);
        record.ValueType = ValueTypeName(value->type);
        const RunOnceExEntry entry = ParseRunOnceExEntry(record.CommandLine);
        ResolvedCommand resolved;
        if (depend) {
            resolved = context.resolver.ResolveProgram(record.CommandLine, L"");
        } else if (entry.dllCall) {
            resolved = context.resolver.ResolveProgram(entry.dll, entry.arguments);
        } else {
            resolved = context.resolver.ResolveCommandLine(entry.commandLine);
        }
        AddResolvedRecord(context, std::move(record), resolved);
    }
}

void SubkeyPlace::List(ScanContext& context, const PlaceSite& site) const {
    platform::Platform& platform = context.platform;
    for (const std::wstring& subkey : Subkeys(platform.registry, site.location)) {
        const std::wstring key = site.location + L"\\" + subkey;
        if (layout_ == SubkeyLayout::Components) {
            ScanRunKey(context, key, kind_, site.values);
            continue;
        }
        if (IsDepend(platform.locale, subkey)) {
            ListSection(context, key, true);
            continue;
        }
        ListSection(context, key, false);
        for (const std::wstring& inner : Subkeys(platform.registry, key)) {
            if (IsDepend(platform.locale, inner)) {
                ListSection(context, key + L"\\" + inner, true);
            }
        }
    }
}

bool SubkeyPlace::CanRemove(const StartupRecord& record) const {
    return NamesValueExactly(record);
}

std::optional<PlaceContent> SubkeyPlace::Read(platform::Platform& platform,
                                              const StartupRecord& record) const {
    return ReadValueContent(platform.registry, record.Location, record.EntryName,
                            FullLocation(record));
}

bool SubkeyPlace::Remove(platform::Platform& platform, const StartupRecord& record) const {
    return DeleteNamedValue(platform.registry, platform.locale, record.Location, record.EntryName);
}

std::optional<SubkeyPlace::Split> SubkeyPlace::SplitEntry(platform::Locale& locale,
                                                          const PlaceSite& site,
                                                          const std::wstring& entry) const {
    const std::size_t cut = entry.find(L'\\');
    if (cut == 0 || cut == std::wstring::npos || cut + 1 == entry.size()) {
        return std::nullopt;
    }
    Split split{entry.substr(0, cut), entry.substr(cut + 1)};
    if (layout_ == SubkeyLayout::Components) {
        for (const std::wstring& covered : site.values) {
            if (locale.ToLower(covered) == locale.ToLower(split.value)) {
                return split;
            }
        }
        return std::nullopt;
    }
    // A section's "Depend\name" is read as its Depend key's value: the scan lists that one.
    const std::wstring depend = std::wstring(kRunOnceExDepend) + L"\\";
    if (!IsDepend(locale, split.subkey) && split.value.size() > depend.size() &&
        locale.ToLower(split.value.substr(0, depend.size())) == locale.ToLower(depend)) {
        split.subkey += L"\\" + split.value.substr(0, depend.size() - 1);
        split.value = split.value.substr(depend.size());
    }
    return split;
}

std::optional<std::wstring> SubkeyPlace::EntryAt(platform::Locale& locale, const PlaceSite& site,
                                                 const std::wstring& fullLocation) const {
    auto entry = RestAfter(locale, fullLocation, site.location);
    if (!entry || !SplitEntry(locale, site, *entry)) {
        return std::nullopt;
    }
    return entry;
}

bool SubkeyPlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                            const std::wstring& entry, const PlaceContent& content) const {
    const auto split = SplitEntry(platform.locale, site, entry);
    return split &&
           WriteNamedValue(platform.registry, site.location + L"\\" + split->subkey, split->value,
                           {content.valueType,
                            std::vector<std::uint8_t>(content.data.begin(), content.data.end())});
}

bool SubkeyPlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                               const std::wstring& entry, const LoggedRecord& logged) const {
    const auto split = SplitEntry(platform.locale, site, entry);
    return split &&
           WriteNamedValue(platform.registry, site.location + L"\\" + split->subkey, split->value,
                           {platform::kRegSz, services::EncodeRegSz(logged.commandLine)});
}

const StartupPlace& RunOnceExSections() {
    static const SubkeyPlace place(kKindRunOnceEx, SubkeyLayout::RunOnceEx);
    return place;
}

const StartupPlace& ActiveSetupComponents() {
    static const SubkeyPlace place(kKindActiveSetup, SubkeyLayout::Components);
    return place;
}

} // namespace vtrl::inventory
