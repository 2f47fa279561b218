// The newsletter page: what the user typed is refused exactly when a rule says so, every
// character reaches the request percent-encoded and recoverable without adding a key, and any
// server answer leads to one defined outcome with the answer file gone.

#include "fuzz_support.h"
#include "services/newsletter.h"
#include "services/text_file.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using vtrl::fuzz::Contains;

// The code points a UTF-16 text stands for; a surrogate without its partner is U+FFFD.
std::u32string CodePoints(const std::wstring& text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(text[i]));
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(text[i + 1]));
            if (next >= 0xDC00 && next <= 0xDFFF) {
                points += 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
                ++i;
                continue;
            }
        }
        points += unit >= 0xD800 && unit <= 0xDFFF ? char32_t{0xFFFD} : unit;
    }
    return points;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Undoes the encoding strictly: only kept characters and "%XX" with upper-case digits, and the
// bytes well-formed UTF-8.
std::optional<std::u32string> Decode(const std::wstring& encoded) {
    std::string bytes;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const wchar_t c = encoded[i];
        if (c == L'%') {
            if (i + 2 >= encoded.size()) {
                return std::nullopt;
            }
            const int high = HexValue(encoded[i + 1]);
            const int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
            continue;
        }
        const bool kept = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                          (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == L'_' ||
                          c == L'~' || c == L'@';
        if (!kept) {
            return std::nullopt;
        }
        bytes += static_cast<char>(c);
    }
    std::u32string points;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length > bytes.size()) {
            return std::nullopt;
        }
        char32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto trail = static_cast<unsigned char>(bytes[i + k]);
            if ((trail & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (trail & 0x3F);
        }
        points += point;
        i += length;
    }
    return points;
}

void CheckValidation(const vtrl::services::SubscriptionFields& fields) {
    const bool acceptable = fields.firstName.size() >= 2 && fields.lastName.size() >= 2 &&
                            fields.email.size() >= 7 && Contains(fields.email, L".") &&
                            Contains(fields.email, L"@") && !Contains(fields.email, L" ") &&
                            !Contains(fields.email, L"&");
    const auto message = vtrl::services::ValidateSubscription(fields);
    VTRL_FUZZ_CHECK(message.has_value() != acceptable);
    if (message) {
        VTRL_FUZZ_CHECK(*message == L"INVALID-NAME" || *message == L"SHORT-EMAIL" ||
                        *message == L"INVALID-EMAIL");
    }
}

void CheckEncoding(const std::wstring& text) {
    const std::wstring encoded = vtrl::services::PercentEncode(text);
    const auto decoded = Decode(encoded);
    VTRL_FUZZ_CHECK(decoded.has_value());
    VTRL_FUZZ_CHECK(*decoded == CodePoints(text));
}

// "key=value" pieces of the query, in order.
std::vector<std::wstring> QueryKeys(const std::wstring& request) {
    std::vector<std::wstring> keys;
    const std::size_t query = request.find(L'?');
    VTRL_FUZZ_CHECK(query != std::wstring::npos);
    std::size_t from = query + 1;
    while (true) {
        const std::size_t to = request.find(L'&', from);
        const std::wstring piece = request.substr(from, to == std::wstring::npos ? to : to - from);
        keys.push_back(piece.substr(0, piece.find(L'=')));
        if (to == std::wstring::npos) {
            return keys;
        }
        from = to + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool wide = input.ConsumeBool();
    const auto field = [&](std::size_t length) {
        return wide ? vtrl::fuzz::WideText(input, length) : vtrl::fuzz::AnsiText(input, length);
    };
    vtrl::services::SubscriptionFields fields;
    fields.firstName = field(32);
    fields.lastName = field(32);
    fields.email = field(64);
    const bool fullLength = input.ConsumeBool();
    std::string reply = input.ConsumeRemainingBytesAsString();
    if (fullLength) {
        reply.resize(vtrl::services::kSubscriptionReplyLength, ' ');
    }

    CheckValidation(fields);
    CheckEncoding(fields.firstName);
    CheckEncoding(fields.lastName);
    CheckEncoding(fields.email);

    vtrl::fakes::FakePlatform fake;
    const vtrl::services::SystemFacts facts = vtrl::fuzz::ProfileFacts();
    fake.files.AddFolder(facts.AppDataFolder);
    vtrl::services::Language language;
    language.LanguageName = L"English";
    const std::wstring request = vtrl::services::SubscriptionRequest(
        facts, language, vtrl::services::GetCountryName(fake.locale), fields);
    // Whatever was typed, the request has the same keys in the same order.
    VTRL_FUZZ_CHECK(
        (QueryKeys(request) == std::vector<std::wstring>{L"scn", L"version", L"country", L"email",
                                                         L"language", L"t", L"fn", L"ln"}));

    fake.http.bodies[request] = reply;
    const vtrl::services::SubscriptionOutcome outcome =
        vtrl::services::Subscribe(fake.Get(), facts, language, fields);
    VTRL_FUZZ_CHECK(fake.http.requests.size() == 1 && fake.http.requests[0] == request);
    VTRL_FUZZ_CHECK(!fake.files.FileExists(facts.AppDataFolder + L"\\" +
                                           vtrl::services::kSubscriptionReplyFileName));
    const bool downloaded = reply.size() == vtrl::services::kSubscriptionReplyLength;
    const std::vector<std::wstring> lines =
        vtrl::services::SplitLines(vtrl::fuzz::FromBytes(reply));
    const std::wstring firstLine = downloaded && !lines.empty() ? lines[0] : L"";
    VTRL_FUZZ_CHECK(!outcome.messageKeys.empty() || outcome.moveOn);
    if (!downloaded || Contains(firstLine, vtrl::services::kReplyError)) {
        VTRL_FUZZ_CHECK(!outcome.moveOn);
        VTRL_FUZZ_CHECK(outcome.messageKeys.back() == L"WRONG-SERVER-RESPONSE");
    } else {
        VTRL_FUZZ_CHECK(outcome.moveOn);
        VTRL_FUZZ_CHECK(
            outcome.messageKeys.size() ==
            (Contains(firstLine, vtrl::services::kReplyOkay) ? 1u : 0u) +
                (Contains(firstLine, vtrl::services::kReplyAlreadySubscribed) ? 1u : 0u));
    }
    if (fields.email.find(L'\0') == std::wstring::npos) {
        VTRL_FUZZ_CHECK(vtrl::services::SavedSubscriptionEmail(fake.registry) == fields.email);
    }
    return 0;
}
