#include "inventory/run_key_scan.h"

#include "inventory/legacy_key.h"
#include "services/registry_access.h"

#include <algorithm>
#include <vector>

namespace vtrl::inventory {

namespace {

std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::wstring::npos;
         at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    pieces.push_back(text.substr(from));
    return pieces;
}

// The one character dropped is normally the blank after a closing quote or the blank that
// leads each joined text; it goes whatever it is, but never from a text of one character.
void DropFirstOfLonger(std::wstring& text) {
    if (text.size() >= 2) {
        text.erase(0, 1);
    }
}

} // namespace

const wchar_t* ValueTypeName(std::uint32_t type) {
    switch (type) {
    case platform::kRegSz:
        return kValueTypeSz;
    case platform::kRegExpandSz:
        return kValueTypeExpandSz;
    case platform::kRegMultiSz:
        return kValueTypeMultiSz;
    default:
        return nullptr;
    }
}

CommandParts SplitRunCommand(platform::Locale& locale, const std::wstring& command) {
    CommandParts parts;
    // An empty command has no pieces at all, not one empty piece.
    if (command.empty()) {
        return parts;
    }
    if (command.front() == L'"') {
        const std::vector<std::wstring> pieces = SplitAt(command, L'"');
        if (pieces.size() >= 2) {
            parts.executable = pieces[1];
        }
        if (pieces.size() >= 3) {
            parts.arguments = pieces[2];
            DropFirstOfLonger(parts.arguments);
        }
        return parts;
    }
    bool inArguments = false;
    for (const std::wstring& piece : SplitAt(command, L' ')) {
        std::wstring& target = inArguments ? parts.arguments : parts.executable;
        target += L' ';
        target += piece;
        const std::wstring lower = locale.ToLower(piece);
        if (lower.find(L".exe") != std::wstring::npos ||
            lower.find(L".dll") != std::wstring::npos) {
            inArguments = true;
        }
    }
    DropFirstOfLonger(parts.executable);
    DropFirstOfLonger(parts.arguments);
    return parts;
}

void ScanRunKey(ScanContext& context, const std::wstring& keyPath, const wchar_t* kind,
                const std::vector<std::wstring>& only) {
    platform::Platform& platform = context.platform;
    const auto location = services::ParseRegistryLocation(keyPath);
    if (!location) {
        return;
    }
    // Names and data in one pass over the key.
    auto values = platform.registry.ListValues(location->hive, location->keyPath);
    if (!values) {
        return;
    }
    ExpectRecords(context, values->size());
    std::vector<std::wstring> wanted;
    for (const std::wstring& name : only) {
        wanted.push_back(platform.locale.ToLower(name));
    }
    for (const auto& [name, value] : *values) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(),
                                         platform.locale.ToLower(name)) == wanted.end()) {
            continue;
        }
        const wchar_t* type = ValueTypeName(value.type);
        // Numbers and bytes are no commands; every text is listed, whatever it says.
        if (type == nullptr) {
            continue;
        }
        const std::wstring command = services::FormatRegistryValue(value);
        const ResolvedCommand resolved = context.resolver.ResolveCommandLine(command);

        StartupRecord record;
        record.Kind = kind;
        record.Location = keyPath;
        record.EntryName = name;
        record.CommandLine = command;
        record.ValueType = type;
        record.LegacyKey = LegacyRunValueKey(platform.locale, context.facts, command, resolved);
        AddResolvedRecord(context, std::move(record), resolved);
    }
}

} // namespace vtrl::inventory
