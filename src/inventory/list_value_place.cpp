#include "inventory/list_value_place.h"

#include "inventory/inventory_scan.h"
#include "inventory/registry_value_edit.h"
#include "inventory/run_key_scan.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

namespace {

// What Windows writes into "BootExecute": the disk check at boot.
constexpr wchar_t kOwnBootCheck[] = L"autocheck autochk *";

// The value's characters: a REG_MULTI_SZ value's every string with its NUL, any other text up to
// its first NUL. Numbers and bytes hold no list.
std::optional<std::wstring> ListText(const platform::RegistryValue& value) {
    if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
        return services::DecodeRegSz(value.data);
    }
    if (value.type != platform::kRegMultiSz) {
        return std::nullopt;
    }
    std::wstring text;
    for (std::size_t index = 0; index + 1 < value.data.size(); index += 2) {
        text.push_back(static_cast<wchar_t>(value.data[index] | value.data[index + 1] << 8));
    }
    return text;
}

std::vector<std::uint8_t> ListData(const std::wstring& text, std::uint32_t type) {
    if (type != platform::kRegMultiSz) {
        return services::EncodeRegSz(text);
    }
    std::vector<std::uint8_t> data;
    for (const wchar_t unit : text) {
        data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        data.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    }
    return data;
}

std::optional<platform::RegistryValue> QueryAt(platform::Registry& registry,
                                               const std::wstring& key, const std::wstring& name) {
    const auto location = services::ParseRegistryLocation(key);
    if (!location) {
        return std::nullopt;
    }
    return registry.QueryValue(location->hive, location->keyPath, name);
}

// The list of Windows' own item alone, in the rule's syntax; empty when the rule names none.
std::wstring OwnList(platform::Environment& environment, const ListRule& rule) {
    return rule.whenEmpty.empty() ? std::wstring()
                                  : WithItem(L"", rule.syntax, environment.Expand(rule.whenEmpty));
}

// "value\item" split at its first backslash: the value names here hold none.
std::pair<std::wstring, std::wstring> SplitEntry(const std::wstring& entry) {
    const std::size_t cut = entry.find(L'\\');
    if (cut == std::wstring::npos) {
        return {entry, L""};
    }
    return {entry.substr(0, cut), entry.substr(cut + 1)};
}

} // namespace

const ListRule* ListValuePlace::RuleOf(platform::Locale& locale,
                                       const std::wstring& valueName) const {
    for (const ListRule& rule : rules_) {
        if (locale.ToLower(rule.valueName) == locale.ToLower(valueName)) {
            return &rule;
        }
    }
    return nullptr;
}

bool ListValuePlace::IsOwn(const ScanContext& context, const ListRule& rule,
                           const std::wstring& item) const {
    if (IsOwnItem(item, rule.ownTexts) ||
        (!rule.ownCommand.empty() && IsOwnCommand(item, ItemKey(rule.ownCommand)))) {
        return true;
    }
    if (rule.ownProgram.empty()) {
        return false;
    }
    const std::wstring key = ItemKey(item);
    const std::size_t cut = key.rfind(L'\\');
    const std::wstring file = cut == std::wstring::npos ? key : key.substr(cut + 1);
    const std::wstring program = ItemKey(rule.ownProgram);
    if (file != program && file + L".exe" != program) {
        return false;
    }
    if (cut == std::wstring::npos) {
        return true;
    }
    const std::wstring folder = key.substr(0, cut);
    for (const std::wstring& own :
         {context.facts.SystemFolder, context.facts.WindowsFolder, std::wstring(L"%systemroot%"),
          std::wstring(L"%systemroot%\\system32"), std::wstring(L"%windir%"),
          std::wstring(L"%windir%\\system32")}) {
        if (folder == context.platform.locale.ToLower(ItemKey(own))) {
            return true;
        }
    }
    return false;
}

void ListValuePlace::List(ScanContext& context, const PlaceSite& site) const {
    platform::Platform& platform = context.platform;
    for (const std::wstring& name : site.values) {
        const ListRule* rule = RuleOf(platform.locale, name);
        const auto value = QueryAt(platform.registry, site.location, name);
        const auto text = value ? ListText(*value) : std::nullopt;
        if (rule == nullptr || !text) {
            continue;
        }
        std::vector<std::wstring> seen;
        for (const ListItem& item : ListItems(*text, rule->syntax)) {
            const std::wstring key = ItemKey(item.text);
            // One record per distinct item: its removal takes out every copy.
            if (IsOwn(context, *rule, item.text) ||
                std::find(seen.begin(), seen.end(), key) != seen.end()) {
                continue;
            }
            seen.push_back(key);
            StartupRecord record;
            record.Kind = kind_;
            record.Location = site.location;
            record.EntryName = rule->valueName;
            record.CommandLine = item.text;
            record.ValueType = ValueTypeName(value->type);
            AddResolvedRecord(context, std::move(record),
                              context.resolver.ResolveCommandLine(item.text));
        }
    }
}

std::wstring ListValuePlace::FullLocation(const StartupRecord& record) const {
    return record.Location + L"\\" + record.EntryName + L"\\" + record.CommandLine;
}

bool ListValuePlace::CanRemove(const StartupRecord& record) const {
    return !record.CommandLine.empty() && NamesValueExactly(record);
}

std::optional<PlaceContent> ListValuePlace::Read(platform::Platform& platform,
                                                 const StartupRecord& record) const {
    return ReadValueContent(platform.registry, record.Location, record.EntryName,
                            FullLocation(record));
}

std::optional<platform::RegistryValue> ListValuePlace::Edited(platform::Platform& platform,
                                                              const ListRule& rule,
                                                              const platform::RegistryValue& value,
                                                              const std::wstring& item,
                                                              bool add) const {
    const auto text = ListText(value);
    if (!text) {
        return std::nullopt;
    }
    std::wstring edited =
        add ? WithItem(*text, rule.syntax, item) : WithoutItem(*text, rule.syntax, item);
    if (!add && !rule.whenEmpty.empty() && ListItems(edited, rule.syntax).empty()) {
        // Windows would start nothing at all from an empty value: its own item stays.
        edited = OwnList(platform.environment, rule);
    }
    if (rule.syntax == ListSyntax::Strings) {
        // Written as the registry documents a multi-string, even when it was read without.
        edited = WithStringsEnd(std::move(edited));
    }
    return platform::RegistryValue{value.type, ListData(edited, value.type)};
}

bool ListValuePlace::Remove(platform::Platform& platform, const StartupRecord& record) const {
    const ListRule* rule = RuleOf(platform.locale, record.EntryName);
    if (rule == nullptr) {
        return false;
    }
    const auto value = QueryAt(platform.registry, record.Location, record.EntryName);
    if (!value) {
        return !QueryAt(platform.registry, record.Location, record.EntryName); // gone already
    }
    const auto edited = Edited(platform, *rule, *value, record.CommandLine, false);
    if (!edited) {
        return false;
    }
    return edited->data == value->data ||
           WriteNamedValue(platform.registry, record.Location, record.EntryName, *edited);
}

std::optional<std::wstring> ListValuePlace::EntryAt(platform::Locale& locale, const PlaceSite& site,
                                                    const std::wstring& fullLocation) const {
    auto entry = RestAfter(locale, fullLocation, site.location);
    if (!entry) {
        return std::nullopt;
    }
    const auto [name, item] = SplitEntry(*entry);
    if (item.empty() || RuleOf(locale, name) == nullptr) {
        return std::nullopt;
    }
    for (const std::wstring& covered : site.values) {
        if (locale.ToLower(covered) == locale.ToLower(name)) {
            return entry;
        }
    }
    return std::nullopt;
}

bool ListValuePlace::PutBack(platform::Platform& platform, const std::wstring& key,
                             const ListRule& rule, const std::wstring& item,
                             std::uint32_t typeWhenMissing) const {
    auto value = QueryAt(platform.registry, key, rule.valueName);
    if (!value) {
        // A value that went meanwhile gets Windows' own item back beside this one.
        const std::wstring base = OwnList(platform.environment, rule);
        value = platform::RegistryValue{typeWhenMissing, ListData(base, typeWhenMissing)};
    }
    const auto edited = Edited(platform, rule, *value, item, true);
    return edited && WriteNamedValue(platform.registry, key, rule.valueName, *edited);
}

bool ListValuePlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                               const std::wstring& entry, const PlaceContent& content) const {
    const auto [name, item] = SplitEntry(entry);
    const ListRule* rule = RuleOf(platform.locale, name);
    if (rule == nullptr) {
        return false;
    }
    const platform::RegistryValue before{
        content.valueType, std::vector<std::uint8_t>(content.data.begin(), content.data.end())};
    const auto now = QueryAt(platform.registry, site.location, name);
    const auto left = Edited(platform, *rule, before, item, false);
    if (now && left && now->type == left->type && now->data == left->data) {
        return WriteNamedValue(platform.registry, site.location, name, before);
    }
    return PutBack(platform, site.location, *rule, item, content.valueType);
}

bool ListValuePlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                                  const std::wstring& entry, const LoggedRecord&) const {
    const auto [name, item] = SplitEntry(entry);
    const ListRule* rule = RuleOf(platform.locale, name);
    return rule != nullptr &&
           PutBack(platform, site.location, *rule, item,
                   rule->syntax == ListSyntax::Strings ? platform::kRegMultiSz : platform::kRegSz);
}

const StartupPlace& WindowsLoadLists() {
    static const ListValuePlace place(kKindWindowsLoad,
                                      {{L"Load", ListSyntax::BlanksOrCommas, L"", {}, L"", L""},
                                       {L"Run", ListSyntax::BlanksOrCommas, L"", {}, L"", L""}});
    return place;
}

const StartupPlace& WinlogonLists() {
    static const ListValuePlace place(
        kKindWinlogon, {{L"Userinit",
                         ListSyntax::Commas,
                         L"userinit.exe",
                         {},
                         L"%SystemRoot%\\system32\\userinit.exe,",
                         L""},
                        {L"Shell", ListSyntax::Commas, L"explorer.exe", {}, L"explorer.exe", L""}});
    return place;
}

const StartupPlace& BootExecuteList() {
    static const ListValuePlace place(
        kKindBootExecute,
        // Windows' own autochk, with the options chkntfs writes, stays: Windows says never to
        // take it out, so it comes back when the value would be left without any item.
        {{L"BootExecute", ListSyntax::Strings, L"", {}, kOwnBootCheck, L"autocheck autochk"}});
    return place;
}

const StartupPlace& RdpStartupPrograms() {
    static const ListValuePlace place(
        kKindRdpStartup,
        {{L"StartupPrograms", ListSyntax::Commas, L"rdpclip.exe", {}, L"rdpclip", L""}});
    return place;
}

} // namespace vtrl::inventory
