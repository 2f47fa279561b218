#pragma once

#include "platform/file_signature.h"

namespace vtrl::win32 {

// WinVerifyTrust and the catalog administrator of wintrust, SHA-256 through bcrypt.
class Win32FileSignatures final : public platform::FileSignatures {
public:
    std::optional<platform::TrustCheck> CheckTrust(const std::wstring& path) override;
    std::optional<std::wstring> Sha256(const std::wstring& path) override;
    std::optional<platform::FileStamp> Stamp(const std::wstring& path) override;
};

} // namespace vtrl::win32
