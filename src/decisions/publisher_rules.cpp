#include "decisions/publisher_rules.h"

#include "services/text_file.h"

#include <algorithm>

namespace vtrl::decisions {

namespace {

// One change applied to the file as it is now: another window or the agent may have saved
// since the caller loaded it.
template <typename Change>
StoreResult ChangeRules(platform::Platform& platform, const std::wstring& dataFolder,
                        PublisherRules& rules, Change change) {
    const auto turn = TakeWriterTurn(platform.locks, dataFolder);
    if (!turn) {
        return {StoreOutcome::Busy};
    }
    const std::wstring path = PublisherRulesPath(dataFolder);
    const DataFileRead read = ReadDataFile(platform.files, platform.locale, path);
    if (read.outcome != StoreOutcome::Stored) {
        return {read.outcome};
    }
    std::vector<std::wstring> publishers = ParsePublisherLines(read.lines);
    if (HasForeignCharacters(read.lines)) {
        if (!KeepUnreadableCopy(platform.files, path)) {
            return {StoreOutcome::Failed};
        }
        std::erase_if(publishers,
                      [](const std::wstring& name) { return HasForeignCharacters(name); });
    }
    change(publishers);
    if (!services::WriteTextLines(platform.files, platform.locale, path, publishers)) {
        return {StoreOutcome::Failed};
    }
    rules = PublisherRules{std::move(publishers), false};
    return {StoreOutcome::Stored};
}

} // namespace

std::wstring PublisherRulesPath(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kPublisherRuleFileName;
}

std::vector<std::wstring> ParsePublisherLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> publishers;
    for (const std::wstring& line : lines) {
        if (!line.empty() &&
            std::find(publishers.begin(), publishers.end(), line) == publishers.end()) {
            publishers.push_back(line);
        }
    }
    return publishers;
}

void LoadPublisherRules(platform::FileSystem& files, platform::Locale& locale,
                        const std::wstring& dataFolder, PublisherRules& rules) {
    const DataFileRead read = ReadDataFile(files, locale, PublisherRulesPath(dataFolder));
    rules = PublisherRules{};
    if (read.outcome != StoreOutcome::Stored) {
        rules.FileUnreadable = true;
        return;
    }
    rules.Publishers = ParsePublisherLines(read.lines);
}

StoreResult AddPublisherRule(platform::Platform& platform, const std::wstring& dataFolder,
                             PublisherRules& rules, const std::wstring& publisher) {
    const std::wstring name = AsStoredText(publisher);
    if (name.empty()) {
        return {StoreOutcome::Failed};
    }
    return ChangeRules(platform, dataFolder, rules, [&](std::vector<std::wstring>& publishers) {
        if (std::find(publishers.begin(), publishers.end(), name) == publishers.end()) {
            publishers.push_back(name);
        }
    });
}

StoreResult RemovePublisherRule(platform::Platform& platform, const std::wstring& dataFolder,
                                PublisherRules& rules, const std::wstring& publisher) {
    return ChangeRules(platform, dataFolder, rules, [&](std::vector<std::wstring>& publishers) {
        std::erase(publishers, publisher);
    });
}

bool HasPublisherRule(const PublisherRules& rules, const std::wstring& publisher) {
    return !publisher.empty() && std::find(rules.Publishers.begin(), rules.Publishers.end(),
                                           publisher) != rules.Publishers.end();
}

} // namespace vtrl::decisions
