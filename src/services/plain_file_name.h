#pragma once
// Names taken from outside (settings, command lines) that must stay one file inside one folder.

#include <string>

namespace vtrl::services {

// A name that can only mean a file directly inside the folder it is joined to: not empty, no
// "\" or "/", no drive or stream (":"), no "..", no control characters or other characters that
// Windows forbids in file names, not only points and blanks, and no device name (CON, NUL, COM1,
// ...) that Windows would open in any folder, also with an extension.
bool IsPlainFileName(const std::wstring& name);

} // namespace vtrl::services
