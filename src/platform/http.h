#pragma once
// Plain HTTP downloads.

#include <cstddef>
#include <optional>
#include <string>

namespace vtrl::platform {

inline constexpr wchar_t kHttpAgentName[] = L"Download Agent";
// The body is read in pieces of at most this many bytes.
inline constexpr std::size_t kHttpChunkBytes = 2048;
// The largest reply taken: the program's replies are a few kilobytes, and a server that sends
// more must not fill the memory. A bigger reply is a failure, never a truncated body.
inline constexpr std::size_t kHttpReplyLimit = 4 * 1024 * 1024;

class Http {
public:
    virtual ~Http() = default;
    // Fetches the URL from the server (never from a cache) through the system's proxy settings
    // and returns the body bytes read before the end or the first failure; nullopt when no
    // request could be made or the reply is larger than kHttpReplyLimit.
    virtual std::optional<std::string> Get(const std::wstring& url) = 0;
};

} // namespace vtrl::platform
