#pragma once
// Publisher rules of the white list: "approve everything this publisher starts". Kept in a file
// of their own beside the decision database ("Publishers.txt", one signer name per line), so
// that the 11-line entries stay as they are for every reader of that file.

#include "decisions/data_file.h"
#include "platform/platform.h"

#include <string>
#include <vector>

namespace vtrl::decisions {

inline constexpr wchar_t kPublisherRuleFileName[] = L"Publishers.txt";

struct PublisherRules {
    std::vector<std::wstring> Publishers; // signer names exactly as the certificates give them
    bool FileUnreadable = false;
    friend bool operator==(const PublisherRules&, const PublisherRules&) = default;
};

std::wstring PublisherRulesPath(const std::wstring& dataFolder);

// The rules of the file's lines: every non-empty line once, in file order.
std::vector<std::wstring> ParsePublisherLines(const std::vector<std::wstring>& lines);

// Replaces the rules with the file's; a missing file is no rules, an unreadable one no rules
// with FileUnreadable set. Creates nothing.
void LoadPublisherRules(platform::FileSystem& files, platform::Locale& locale,
                        const std::wstring& dataFolder, PublisherRules& rules);
// Adds or removes one publisher in the file as it is now, under the writer's turn, keeping a
// damaged file aside first; the caller's rules then become the file's new content. On any other
// outcome than Stored the file and the rules are left as they were.
StoreResult AddPublisherRule(platform::Platform& platform, const std::wstring& dataFolder,
                             PublisherRules& rules, const std::wstring& publisher);
StoreResult RemovePublisherRule(platform::Platform& platform, const std::wstring& dataFolder,
                                PublisherRules& rules, const std::wstring& publisher);

bool HasPublisherRule(const PublisherRules& rules, const std::wstring& publisher);

} // namespace vtrl::decisions
