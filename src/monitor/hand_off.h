#pragma once
// Hand-off files: how the check cycle passes one executable to the popup process it starts. A
// two-line text file in the data folder (the executable's folder, then its name), named on the
// command line right after "notifi" or "unknown", read once and deleted by the new process.

#include "platform/platform.h"
#include "services/command_words.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vtrl::monitor {

// Candidate names tried before a writer gives up; only a folder full of leftovers gets there.
inline constexpr int kHandOffNameAttempts = 1000;

struct HandOff {
    std::wstring folder;  // line 1
    std::wstring exeName; // line 2
    friend bool operator==(const HandOff&, const HandOff&) = default;
};

// Writes a new hand-off file and returns its name. The name is digits only (the clock to the
// second, then a sequence number) and is claimed by creating the file exclusively, so two
// files written in the same second, or by two processes at once, never share a name and an
// earlier file is never overwritten. nullopt when no file could be written (nothing is left).
std::optional<std::wstring> WriteHandOffFile(platform::Platform& platform,
                                             const std::wstring& dataFolder,
                                             const HandOff& handOff);

// The file name a command line hands over: the text with every occurrence of the word removed
// (case-sensitive, nothing trimmed).
std::wstring HandOffNameIn(const std::wstring& commandLine, const std::wstring& word);

// Longest name a writer makes: the clock stem (four-digit year, then month to second, two digits
// each) followed by a sequence number below kHandOffNameAttempts + 1.
inline constexpr std::size_t kHandOffNameMaxDigits = 14 + 4;

// A name of the shape the writer makes: ASCII digits only, at most
// kHandOffNameMaxDigits of them. Every other file in the data folder (the decision file, the
// backup log, icon bitmaps) therefore stays out of reach of a command line.
bool IsHandOffName(const std::wstring& name);

// Reads lines 1 and 2 of dataFolder\name and then deletes the file. Any other name, a missing or
// unreadable file, or one with fewer than two lines gives nullopt, and nothing is deleted.
std::optional<HandOff> TakeHandOffFile(platform::FileSystem& files, platform::Locale& locale,
                                       const std::wstring& dataFolder, const std::wstring& name);

} // namespace vtrl::monitor
