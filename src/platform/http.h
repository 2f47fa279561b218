#pragma once
// Plain HTTP downloads.

#include <cstddef>
#include <string>

namespace vtrl::platform {

inline constexpr wchar_t kHttpAgentName[] = L"Download Agent";
// The body is read in pieces of at most this many bytes.
inline constexpr std::size_t kHttpChunkBytes = 2048;

class Http {
public:
    virtual ~Http() = default;
    // Fetches the URL from the server (never from a cache) through the system's proxy settings
    // and returns the body bytes read before the end or the first failure; empty when nothing
    // could be read. Pending user-interface events are handled between pieces.
    virtual std::string Get(const std::wstring& url) = 0;
};

} // namespace vtrl::platform
