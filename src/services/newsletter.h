#pragma once
// The newsletter page of the framework dialog: checking what the user typed, the subscription
// request, and what the server's answer means. The window shows the messages and moves between
// pages; everything it decides on is here.

#include "platform/platform.h"
#include "services/localisation.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"
#include "services/web_links.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

inline constexpr wchar_t kSubscriberSection[] = L"SUBSCRIBER";
// The server pads its answer to exactly this many characters; any other length is a failure.
inline constexpr std::int32_t kSubscriptionReplyLength = 1000;
// Where the answer is kept between download and reading, in the application-data folder.
inline constexpr wchar_t kSubscriptionReplyFileName[] = L"corven-2.2.txt";

inline constexpr wchar_t kReplyOkay[] = L"[OKAY]";
inline constexpr wchar_t kReplyError[] = L"[ERROR]";
inline constexpr wchar_t kReplyAlreadySubscribed[] = L"[ALREADY-SUBSCRIBED]";

// What the user typed on the page.
struct SubscriptionFields {
    std::wstring firstName; // FN
    std::wstring lastName;  // LN
    std::wstring email;     // Text1
};

// The "SUBSCRIBER" key of the message to show, or nullopt when the fields may be sent. Every
// check runs; the last one that fails names the message.
std::optional<std::wstring> ValidateSubscription(const SubscriptionFields& fields);

// The request: the endpoint (the vendor's unless a test names its own) with the keys in a fixed
// order; every value is percent-encoded so that no character it holds can end a value or add a
// key.
std::wstring SubscriptionRequest(const SystemFacts& facts, const Language& language,
                                 const std::wstring& countryName, const SubscriptionFields& fields,
                                 const std::wstring& endpoint = kVendorWebEndpoint);

// What the page does once the server has answered (or not).
struct SubscriptionOutcome {
    // "SUBSCRIBER" keys of the messages to show, in order (titled "Vantorel"); an answer may
    // carry more than one marker.
    std::vector<std::wstring> messageKeys;
    platform::MessageIcon icon = platform::MessageIcon::Information;
    bool moveOn = false; // true: on to the quality-programme page; false: stay, button enabled
};

// downloaded: the answer had the expected length; firstLine: its first line.
SubscriptionOutcome InterpretReply(bool downloaded, const std::wstring& firstLine);

// The exchange in two halves, so that the download between them can run on another thread.
// BeginSubscription saves the address and gives the request to send; FinishSubscription stores the
// reply (nullopt: none came), reads and deletes the answer file, and tells what to show.
std::wstring BeginSubscription(platform::Registry& registry, platform::Locale& locale,
                               const SystemFacts& facts, const Language& language,
                               const SubscriptionFields& fields,
                               const std::wstring& endpoint = kVendorWebEndpoint);
SubscriptionOutcome FinishSubscription(platform::Platform& platform, const SystemFacts& facts,
                                       const std::optional<std::string>& reply);

// Both halves with the download between them, on the calling thread. The fields must have passed
// ValidateSubscription.
SubscriptionOutcome Subscribe(platform::Platform& platform, const SystemFacts& facts,
                              const Language& language, const SubscriptionFields& fields,
                              const std::wstring& endpoint = kVendorWebEndpoint);

// The address the page starts with: the last one submitted.
std::wstring SavedSubscriptionEmail(platform::Registry& registry);

} // namespace vtrl::services
