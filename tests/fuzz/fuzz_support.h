#pragma once
// What every fuzz target shares: a property check that libFuzzer reports as a crash, texts drawn
// from the input, and the fake profile the file-based readers run in.

#include "fakes/fake_platform.h"
#include "services/system_facts.h"
#include "unit/inventory_test_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <string>

// A broken property stops the run with the condition and its line, so the finding is readable
// from libFuzzer's report without a debugger.
#define VTRL_FUZZ_CHECK(condition)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

namespace vtrl::fuzz {

inline constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";

// Characters of the ANSI code page the fake locale stores files in (0 to 255), so that a text
// survives a write and a read; line breaks and NULs included, since outside input has them.
inline std::wstring AnsiText(FuzzedDataProvider& input, std::size_t maxLength) {
    const std::string bytes = input.ConsumeRandomLengthString(maxLength);
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
    return text;
}

// Any UTF-16 code units, as registry names and command lines can hold.
inline std::wstring WideText(FuzzedDataProvider& input, std::size_t maxLength) {
    const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) {
        text.push_back(static_cast<wchar_t>(input.ConsumeIntegral<std::uint16_t>()));
    }
    return text;
}

// The file bytes a reader meets: everything left in the input.
inline std::string RestAsFile(FuzzedDataProvider& input) {
    return input.ConsumeRemainingBytesAsString();
}

inline std::wstring FromBytes(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
    return text;
}

inline bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// The fake profile's folders, as FrameworkStartup fills them, with the program's own place.
inline services::SystemFacts ProfileFacts() {
    services::SystemFacts facts = inventory::testing::FakeProfileFacts();
    facts.ProgramFolder = L"C:\\Program Files\\Vantorel";
    facts.ProgramName = L"vantorel";
    return facts;
}

} // namespace vtrl::fuzz
