#pragma once
// Signature checks remembered per file in the data folder ("Signatures.txt"), so that a scan
// verifies and hashes only the programs that are new or changed since the last one. A file
// counts as unchanged while its path, size and last-write time are.

#include "inventory/signature_facts.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtrl::inventory {

inline constexpr wchar_t kSignatureCacheFileName[] = L"Signatures.txt";
// Path, size, last-write time, WinVerifyTrust's answer (8 hex digits), signer, SHA-256.
inline constexpr std::size_t kSignatureCacheEntryLines = 6;
// A cache would rather skip one save than hold up a scan: the next scan saves it.
inline constexpr std::uint32_t kSignatureCacheWaitMilliseconds = 1000;
// Entries kept at most: every file of this scan, then files seen before, as many as fit.
inline constexpr std::size_t kMaxCachedSignatures = 1000;

struct CachedSignature {
    std::wstring Path; // as the record names it, compared without regard to case
    platform::FileStamp Stamp;
    std::uint32_t TrustResult = platform::kTrustNoSignature;
    std::wstring Signer;
    std::wstring Sha256;
    friend bool operator==(const CachedSignature&, const CachedSignature&) = default;
};

std::wstring SignatureCachePath(const std::wstring& dataFolder);

// Entries whose six lines do not read back (a number that is not one, a short last entry) are
// left out: a cache entry lost only costs one more check.
std::vector<CachedSignature> ParseSignatureCache(const std::vector<std::wstring>& lines);
std::vector<std::wstring> FormatSignatureCache(const std::vector<CachedSignature>& entries);

// The signature facts of the program behind each live record (ExeFolder\ExeName), from the
// cache when the file is unchanged and from the platform otherwise. With save, a cache to which
// this scan added a check is written back (this scan's files first, then earlier ones up to
// kMaxCachedSignatures), under the writer's turn; a data folder that does not exist is never made
// for it.
void CheckSignatures(platform::Platform& platform, const std::wstring& dataFolder,
                     StartupInventory& inventory, bool save);

} // namespace vtrl::inventory
