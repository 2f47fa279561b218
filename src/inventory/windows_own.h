#pragma once
// Windows' own startup entries, which a user may keep out of sight: the program lies in the
// Windows folder and its signature verifies as Microsoft's. An unverified program never counts,
// wherever it lies and whatever its version resource claims.

#include "inventory/startup_record.h"
#include "platform/locale.h"

#include <string>

namespace vtrl::inventory {

// The signer names Microsoft signs Windows' own files with.
bool IsMicrosoftSigner(const std::wstring& signer);

// Whether the record's program is one of Windows' own (folders compared without regard to case;
// the Windows folder itself and every folder below it count).
bool IsWindowsOwnProgram(platform::Locale& locale, const std::wstring& windowsFolder,
                         const StartupRecord& record);

} // namespace vtrl::inventory
