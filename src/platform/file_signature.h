#pragma once
// Who signed a file, whether Windows trusts that signature, and the file's SHA-256.

#include <cstdint>
#include <optional>
#include <string>

namespace vtrl::platform {

// WinVerifyTrust's answers that callers tell apart (HRESULT values as Windows numbers them).
inline constexpr std::uint32_t kTrustOk = 0;
inline constexpr std::uint32_t kTrustProviderUnknown = 0x800B0001;
inline constexpr std::uint32_t kTrustSubjectFormUnknown = 0x800B0003;
inline constexpr std::uint32_t kTrustNoSignature = 0x800B0100;
inline constexpr std::uint32_t kTrustCertificateExpired = 0x800B0101;
inline constexpr std::uint32_t kTrustCertificateRevoked = 0x800B010C;
inline constexpr std::uint32_t kTrustUntrustedRoot = 0x800B0109;
inline constexpr std::uint32_t kTrustChaining = 0x800B010A;
inline constexpr std::uint32_t kTrustWrongUsage = 0x800B0110;
inline constexpr std::uint32_t kTrustExplicitDistrust = 0x800B0111;
inline constexpr std::uint32_t kTrustBadDigest = 0x80096010;
inline constexpr std::uint32_t kTrustCertificateSignature = 0x80096004;
inline constexpr std::uint32_t kTrustNoSignerCertificate = 0x80096002;
inline constexpr std::uint32_t kTrustSecuritySettings = 0x80092026;
inline constexpr std::uint32_t kTrustFileError = 0x80092003;
inline constexpr std::uint32_t kTrustBadMessage = 0x8009200D;

// The answers that mean the file carries no signature at all (rather than a bad one).
inline bool IsUnsignedAnswer(std::uint32_t result) {
    return result == kTrustNoSignature || result == kTrustSubjectFormUnknown ||
           result == kTrustProviderUnknown;
}

// One trust check of a file: its embedded signature, or, when it has none, the system catalog
// that lists its hash.
struct TrustCheck {
    std::uint32_t result = kTrustNoSignature; // WinVerifyTrust's answer
    bool viaCatalog = false;
    // The signer certificate's subject name; empty when no signer could be read.
    std::wstring signer;
};

// What tells a file apart from its earlier self without reading it whole.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0; // 100-ns intervals since 1601 (UTC)
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class FileSignatures {
public:
    virtual ~FileSignatures() = default;
    // Generic verify action, without any network lookup of revocation; nullopt when the file
    // cannot be opened.
    virtual std::optional<TrustCheck> CheckTrust(const std::wstring& path) = 0;
    // The SHA-256 of the file's bytes in lower-case hex; nullopt when it cannot be read.
    virtual std::optional<std::wstring> Sha256(const std::wstring& path) = 0;
    // Size and last-write time; nullopt when the file is missing or cannot be asked.
    virtual std::optional<FileStamp> Stamp(const std::wstring& path) = 0;
};

} // namespace vtrl::platform
