#include "services/newsletter.h"

#include "services/settings_store.h"
#include "services/text_file.h"
#include "services/web_links.h"

#include <type_traits>

namespace vtrl::services {

namespace {

constexpr wchar_t kSettingsSection[] = L"Settings";
constexpr std::size_t kMinimumNameLength = 2;
constexpr std::size_t kMinimumEmailLength = 7;

bool Contains(const std::wstring& text, std::wstring_view part) {
    return text.find(part) != std::wstring::npos;
}

bool IsKeptAsIs(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           c == L'-' || c == L'.' || c == L'_' || c == L'~' || c == L'@';
}

void AppendUtf8(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere (unit tests); both read the same here.
char32_t CodeUnit(wchar_t c) {
    return static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
}

// UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string ToUtf8(const std::wstring& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = CodeUnit(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const char32_t next = CodeUnit(text[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        const bool invalid = (unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF;
        AppendUtf8(bytes, invalid ? char32_t{0xFFFD} : unit);
    }
    return bytes;
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

std::wstring PercentEncode(const std::wstring& text) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsKeptAsIs(text[i])) {
            encoded += text[i];
            continue;
        }
        // A surrogate pair is one character and one UTF-8 sequence.
        const bool pair = CodeUnit(text[i]) >= 0xD800 && CodeUnit(text[i]) <= 0xDBFF &&
                          i + 1 < text.size() && CodeUnit(text[i + 1]) >= 0xDC00 &&
                          CodeUnit(text[i + 1]) <= 0xDFFF;
        for (const char byte : ToUtf8(text.substr(i, pair ? 2 : 1))) {
            const auto value = static_cast<unsigned char>(byte);
            encoded += L'%';
            encoded += kHex[value >> 4];
            encoded += kHex[value & 0x0F];
        }
        if (pair) {
            ++i;
        }
    }
    return encoded;
}

std::wstring SubscriptionRequest(const SystemFacts& facts, const Language& language,
                                 const std::wstring& countryName, const SubscriptionFields& fields,
                                 const std::wstring& endpoint) {
    return endpoint + L"?scn=" + kAppKey + L"&version=" + facts.VersionText + L"&country=" +
           countryName + L"&email=" + PercentEncode(fields.email) + L"&language=" +
           language.LanguageName + L"&t=1000&fn=" + PercentEncode(fields.firstName) + L"&ln=" +
           PercentEncode(fields.lastName);
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

SubscriptionOutcome Subscribe(platform::Platform& platform, const SystemFacts& facts,
                              const Language& language, const SubscriptionFields& fields,
                              const std::wstring& endpoint) {
    SaveSetting(platform.registry, kAppKey, kSettingsSection, kSubscriptionEmailSetting,
                fields.email);
    const std::wstring request =
        SubscriptionRequest(facts, language, GetCountryName(platform.locale), fields, endpoint);
    const std::wstring replyFile = facts.AppDataFolder + L"\\" + kSubscriptionReplyFileName;
    const bool downloaded = HttpGet(platform, request, replyFile, kSubscriptionReplyLength);

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

std::wstring SavedSubscriptionEmail(platform::Registry& registry) {
    return GetSetting(registry, kAppKey, kSettingsSection, kSubscriptionEmailSetting);
}

} // namespace vtrl::services
