// Version strings from arbitrary version blocks: the block libFuzzer hands over is exactly its
// size on the heap, so any read past it is an AddressSanitizer finding; the text found must be
// text of the block, after the key.

#include "fuzz_support.h"
#include "inventory/version_string.h"

#include <vector>

namespace {

std::wstring BlockText(const std::vector<std::uint8_t>& block) {
    std::wstring text(block.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(block[2 * i] | (block[2 * i + 1] << 8));
    }
    return text;
}

void CheckKey(vtrl::fakes::FakeLocale& locale, const std::vector<std::uint8_t>& block,
              std::wstring_view key) {
    const std::wstring found = vtrl::inventory::GetVersionString(locale, block, key);
    const std::wstring text = BlockText(block);
    VTRL_FUZZ_CHECK(found.size() <= text.size());
    VTRL_FUZZ_CHECK(found.find(L'\0') == std::wstring::npos);
    const std::size_t keyAt = locale.ToLower(text).find(locale.ToLower(key));
    if (keyAt == std::wstring::npos) {
        VTRL_FUZZ_CHECK(found.empty());
        return;
    }
    if (found.empty()) {
        return;
    }
    // The value ends at a NUL inside the block and starts one or two characters after the
    // NUL that ends the key's text.
    const std::size_t keyEnd = text.find(L'\0', keyAt + key.size());
    VTRL_FUZZ_CHECK(keyEnd != std::wstring::npos);
    const std::size_t start = text[keyEnd + 1] == L'\0' ? keyEnd + 2 : keyEnd + 1;
    VTRL_FUZZ_CHECK(text.compare(start, found.size(), found) == 0);
    VTRL_FUZZ_CHECK(start + found.size() < text.size() && text[start + found.size()] == L'\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vtrl::fakes::FakeLocale locale;
    // An exactly sized copy: the vector's storage ends where the block ends.
    const std::vector<std::uint8_t> block(data, data + size);
    CheckKey(locale, block, vtrl::inventory::kCompanyNameKey);
    CheckKey(locale, block, vtrl::inventory::kFileDescriptionKey);
    // A key that is a whole block of its own, and one longer than any block here.
    CheckKey(locale, block, L"C");
    CheckKey(locale, block, std::wstring(size / 2 + 1, L'A'));
    return 0;
}
