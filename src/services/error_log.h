#pragma once
// A one-line marker that names the step the program is in, so that a crash inside code it does
// not control leaves the step's name behind in the data folder.

#include "platform/files.h"
#include "platform/locale.h"
#include "services/system_facts.h"

#include <string>

namespace vtrl::services {

inline constexpr wchar_t kErrorLogName[] = L"fileerror.txt";

// Step names written before steps that call into foreign code.
inline constexpr wchar_t kStepExtractFileIcon[] = L"EXTRACTFILEICON";
inline constexpr wchar_t kStepFileProperties[] = L"FILEPROPERTIES";
inline constexpr wchar_t kStepScrollChange[] = L"SCROLLCHANGE";
inline constexpr wchar_t kStepPlayingSound[] = L"PLAYINGSOUND";
inline constexpr wchar_t kStepActivating[] = L"ACTIVATING";

// A step name writes the marker "x|ver:<version>|<step>"; the empty text clears it.
// Failures are swallowed: the caller's step goes on either way.
void TraceStep(platform::FileSystem& files, platform::Locale& locale, const SystemFacts& facts,
               const std::wstring& step);

} // namespace vtrl::services
