#pragma once
// Reading values from Windows ".ini" files the way the profile-string service does: sections and
// keys compared without regard to case, blanks around keys and values dropped, a value in
// matching quotes given without them.

#include <cstddef>
#include <string>

namespace vtrl::platform {

class IniFiles {
public:
    virtual ~IniFiles() = default;
    // The key's value read through a buffer of bufferLength characters (the terminating NUL
    // included, so at most bufferLength - 1 characters come back); empty when the file, the
    // section or the key is missing.
    virtual std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& file, std::size_t bufferLength) = 0;
};

} // namespace vtrl::platform
