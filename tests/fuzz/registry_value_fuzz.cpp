// Registry value data of any type and length: the display text is built from the data alone and
// never reads past it (the data's storage is exactly its size), and numbers written as REG_DWORD
// read back as the number's bytes.

#include "fuzz_support.h"
#include "services/registry_access.h"

#include <vector>

namespace {

using vtrl::platform::RegistryValue;

std::wstring Units(const std::vector<std::uint8_t>& data) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    return units;
}

std::wstring Hex(const std::vector<std::uint8_t>& data) {
    std::wstring text;
    for (const std::uint8_t byte : data) {
        text += L"0123456789ABCDEF"[byte >> 4];
        text += L"0123456789ABCDEF"[byte & 0x0F];
        text += L' ';
    }
    return text;
}

void CheckFormat(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    const std::wstring text = vtrl::services::FormatRegistryValue(RegistryValue{type, data});
    const std::wstring units = Units(data);
    switch (type) {
    case vtrl::platform::kRegSz:
    case vtrl::platform::kRegExpandSz:
        // Up to the first NUL; the encoding of that text is where the data starts.
        VTRL_FUZZ_CHECK(text == units.substr(0, units.find(L'\0')));
        VTRL_FUZZ_CHECK(text == vtrl::services::DecodeRegSz(data));
        if (units.find(L'\0') != std::wstring::npos) {
            const std::vector<std::uint8_t> encoded = vtrl::services::EncodeRegSz(text);
            VTRL_FUZZ_CHECK(std::equal(encoded.begin(), encoded.end(), data.begin()));
        }
        break;
    case vtrl::platform::kRegBinary:
    case vtrl::platform::kRegDword:
        VTRL_FUZZ_CHECK(text == Hex(data));
        break;
    case vtrl::platform::kRegDwordBigEndian:
        VTRL_FUZZ_CHECK(text.size() == data.size());
        break;
    case vtrl::platform::kRegMultiSz: {
        // The strings joined, up to the empty one that ends the list.
        VTRL_FUZZ_CHECK(text.size() <= units.size());
        VTRL_FUZZ_CHECK(text.find(L'\0') == std::wstring::npos);
        const std::size_t end = units.find(std::wstring(2, L'\0'));
        std::wstring joined = units.substr(0, end);
        std::erase(joined, L'\0');
        VTRL_FUZZ_CHECK(text == joined);
        break;
    }
    default:
        VTRL_FUZZ_CHECK(text.empty());
    }
}

void CheckNumber(vtrl::fakes::FakeRegistry& registry, const std::wstring& text) {
    const auto number = vtrl::services::ParseLongValue(text);
    constexpr wchar_t kKey[] = L"HKEY_CURRENT_USER\\Software\\VTRL1";
    vtrl::services::RegWriteValue(registry, kKey, L"Number", text, vtrl::platform::kRegDword);
    const std::wstring read =
        vtrl::services::RegReadValue(registry, std::wstring(kKey) + L"\\Number");
    if (!number) {
        VTRL_FUZZ_CHECK(read.empty());
        return;
    }
    VTRL_FUZZ_CHECK(vtrl::services::ParseLongValue(std::to_wstring(*number)) == number);
    const auto bits = static_cast<std::uint32_t>(*number);
    VTRL_FUZZ_CHECK(
        read ==
        Hex({static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}));
    // Plain decimal digits read as themselves.
    if (!text.empty() && text.size() < 10 &&
        text.find_first_not_of(L"0123456789") == std::wstring::npos) {
        VTRL_FUZZ_CHECK(*number == std::stol(text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Mostly the shown types, sometimes any number at all.
    const std::uint32_t type = input.ConsumeBool()
                                   ? input.ConsumeIntegralInRange<std::uint32_t>(0, 11)
                                   : input.ConsumeIntegral<std::uint32_t>();
    const std::wstring number = vtrl::fuzz::AnsiText(input, 24);
    const std::wstring location = vtrl::fuzz::WideText(input, 64);
    const std::string rest = vtrl::fuzz::RestAsFile(input);
    // Exactly sized: one byte too far is outside the allocation.
    const std::vector<std::uint8_t> bytes(rest.begin(), rest.end());
    CheckFormat(type, bytes);

    vtrl::fakes::FakeRegistry registry;
    CheckNumber(registry, number);

    // A location text cut into key and value loses nothing.
    const vtrl::services::ValuePath path = vtrl::services::SplitValuePath(location);
    VTRL_FUZZ_CHECK(path.subkey + path.valueName == location);
    VTRL_FUZZ_CHECK(path.valueName.find(L'\\') == std::wstring::npos);
    if (const auto parsed = vtrl::services::ParseRegistryLocation(location)) {
        VTRL_FUZZ_CHECK(location.ends_with(parsed->keyPath));
    }
    return 0;
}
