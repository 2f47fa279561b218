#include "services/newsletter.h"

#include "services/settings_keys.h"
#include "services/settings_store.h"
#include "services/text_file.h"
#include "services/web_links.h"

namespace vtrl::services {

namespace {

constexpr std::size_t kMinimumNameLength = 2;
constexpr std::size_t kMinimumEmailLength = 7;

bool Contains(const std::wstring& text, std::wstring_view part) {
    return text.find(part) != std::wstring::npos;
}

} // namespace

std::optional<std::wstring> ValidateSubscription(const SubscriptionFields& fields) {
    std::optional<std::wstring> message;
    if (fields.firstName.size() < kMinimumNameLength) {
        message = L"INVALID-NAME";
    }
    if (fields.lastName.size() < kMinimumNameLength) {
        message = L"INVALID-NAME";
    }
    if (fields.email.size() < kMinimumEmailLength) {
        message = L"SHORT-EMAIL";
    }
    if (!Contains(fields.email, L".")) {
        message = L"INVALID-EMAIL";
    }
    if (!Contains(fields.email, L"@")) {
        message = L"INVALID-EMAIL";
    }
    if (Contains(fields.email, L" ")) {
        message = L"INVALID-EMAIL";
    }
    if (Contains(fields.email, L"&")) {
        message = L"INVALID-EMAIL";
    }
    return message;
}

std::wstring SubscriptionRequest(const SystemFacts& facts, const Language& language,
                                 const std::wstring& countryName, const SubscriptionFields& fields,
                                 const std::wstring& endpoint) {
    return endpoint + L"?scn=" + kAppKey + L"&version=" + PercentEncode(facts.VersionText) +
           L"&country=" + PercentEncode(countryName) + L"&email=" + PercentEncode(fields.email) +
           L"&language=" + PercentEncode(language.LanguageName) + L"&t=1000&fn=" +
           PercentEncode(fields.firstName) + L"&ln=" + PercentEncode(fields.lastName);
}

SubscriptionOutcome InterpretReply(bool downloaded, const std::wstring& firstLine) {
    SubscriptionOutcome outcome;
    if (!downloaded) {
        outcome.messageKeys = {L"WRONG-SERVER-RESPONSE"};
        outcome.icon = platform::MessageIcon::Warning;
        return outcome;
    }
    if (Contains(firstLine, kReplyOkay)) {
        outcome.messageKeys.push_back(L"OK-SERVER-RESPONSE");
    }
    if (Contains(firstLine, kReplyError)) {
        outcome.messageKeys.push_back(L"WRONG-SERVER-RESPONSE");
        return outcome;
    }
    if (Contains(firstLine, kReplyAlreadySubscribed)) {
        outcome.messageKeys.push_back(L"ALREADY-SERVER-RESPONSE");
    }
    // An answer without any marker moves on silently.
    outcome.moveOn = true;
    return outcome;
}

std::wstring BeginSubscription(platform::Registry& registry, platform::Locale& locale,
                               const SystemFacts& facts, const Language& language,
                               const SubscriptionFields& fields, const std::wstring& endpoint) {
    SaveSetting(registry, kAppKey, kSettingsSection, kSubscriptionEmailSetting, fields.email);
    return SubscriptionRequest(facts, language, GetCountryName(locale), fields, endpoint);
}

SubscriptionOutcome FinishSubscription(platform::Platform& platform, const SystemFacts& facts,
                                       const std::optional<std::string>& reply) {
    const std::wstring replyFile = facts.AppDataFolder + L"\\" + kSubscriptionReplyFileName;
    const bool downloaded =
        StoreDownload(platform.files, platform.locale, reply, replyFile, kSubscriptionReplyLength);

    std::wstring firstLine;
    if (platform.files.FileExists(replyFile)) {
        const auto lines = ReadTextLines(platform.files, platform.locale, replyFile);
        if (lines && !lines->empty()) {
            firstLine = lines->front();
        }
        platform.files.Remove(replyFile);
    }
    return InterpretReply(downloaded, firstLine);
}

SubscriptionOutcome Subscribe(platform::Platform& platform, const SystemFacts& facts,
                              const Language& language, const SubscriptionFields& fields,
                              const std::wstring& endpoint) {
    const std::wstring request =
        BeginSubscription(platform.registry, platform.locale, facts, language, fields, endpoint);
    return FinishSubscription(platform, facts, platform.http.Get(request));
}

std::wstring SavedSubscriptionEmail(platform::Registry& registry) {
    return GetSetting(registry, kAppKey, kSettingsSection, kSubscriptionEmailSetting);
}

} // namespace vtrl::services
