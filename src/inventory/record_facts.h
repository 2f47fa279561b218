#pragma once
// The facts of one startup record as a user reads them: where it lives, what it runs, who made
// the program and what it calls itself, whether it runs, and which other records start the same
// program. The record page and the console companion show the same list.

#include "inventory/startup_record.h"
#include "platform/platform.h"
#include "services/system_facts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::inventory {

// The stable field names, in the order the facts come.
inline constexpr wchar_t kFactLocation[] = L"Location";
inline constexpr wchar_t kFactEntryName[] = L"EntryName";
inline constexpr wchar_t kFactCommandLine[] = L"CommandLine";
inline constexpr wchar_t kFactProgramPath[] = L"ProgramPath";
inline constexpr wchar_t kFactDescription[] = L"Description";
inline constexpr wchar_t kFactCompany[] = L"Company";
inline constexpr wchar_t kFactVersion[] = L"Version";
inline constexpr wchar_t kFactSize[] = L"Size";
inline constexpr wchar_t kFactModified[] = L"Modified";
inline constexpr wchar_t kFactRunning[] = L"Running";
inline constexpr wchar_t kFactSignature[] = L"Signature";
inline constexpr wchar_t kFactAlsoStartedFrom[] = L"AlsoStartedFrom";

// Joins the records of "Also started from".
inline constexpr wchar_t kFactListSeparator[] = L"; ";

struct RecordFact {
    std::wstring_view field; // one of kFact...
    std::wstring label;      // in the interface language
    // Never empty, except "Also started from" when no other record starts the program: a
    // listing of one record leaves that fact out then.
    std::wstring value;
};

// A text of the language files' "INTERFACE" section by key.
using InterfaceText = std::function<std::wstring(const std::wstring&)>;

// The kind of place in words, with whose it is and, for a machine-wide key that has a 32-bit
// twin, which view: "Run key for all users (64-bit)", "Your Startup folder".
std::wstring PlaceWords(platform::Locale& locale, const services::SystemFacts& facts,
                        const StartupRecord& record, const InterfaceText& text);

// "812 bytes", or "13 KB (12345 bytes)" with the kilobytes rounded up as Explorer rounds them.
std::wstring SizeText(std::uint64_t bytes, const InterfaceText& text);

// Every fact of live record `index`, in the order of the field names above; empty for an index
// that names no live record. Reads the program's version, size and time of its last change.
std::vector<RecordFact> RecordFacts(platform::Platform& platform,
                                    const services::SystemFacts& facts,
                                    const StartupInventory& inventory, int index,
                                    const InterfaceText& text);

} // namespace vtrl::inventory
