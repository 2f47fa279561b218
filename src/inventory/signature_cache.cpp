#include "inventory/signature_cache.h"

#include "inventory/signature_status.h"
#include "services/text_file.h"

#include <charconv>
#include <map>
#include <optional>

namespace vtrl::inventory {

namespace {

std::optional<std::uint64_t> ParseNumber(const std::wstring& text, int base) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    std::string narrow;
    for (wchar_t c : text) {
        if (c > 0x7F) {
            return std::nullopt;
        }
        narrow += static_cast<char>(c);
    }
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(narrow.data(), narrow.data() + narrow.size(), value, base);
    if (error != std::errc{} || end != narrow.data() + narrow.size()) {
        return std::nullopt;
    }
    return value;
}

std::wstring HexNumber(std::uint32_t value) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(8, L'0');
    for (int index = 7; index >= 0; --index) {
        text[static_cast<std::size_t>(index)] = kDigits[value & 0x0F];
        value >>= 4;
    }
    return text;
}

SignatureFacts FactsOf(const CachedSignature& entry) {
    SignatureFacts facts =
        SignatureFromTrust(platform::TrustCheck{entry.TrustResult, false, entry.Signer});
    facts.Sha256 = entry.Sha256;
    return facts;
}

} // namespace

std::wstring SignatureCachePath(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kSignatureCacheFileName;
}

std::vector<CachedSignature> ParseSignatureCache(const std::vector<std::wstring>& lines) {
    std::vector<CachedSignature> entries;
    for (std::size_t first = 0; first + kSignatureCacheEntryLines <= lines.size();
         first += kSignatureCacheEntryLines) {
        const auto size = ParseNumber(lines[first + 1], 10);
        const auto lastWrite = ParseNumber(lines[first + 2], 10);
        const auto result = ParseNumber(lines[first + 3], 16);
        if (lines[first].empty() || !size || !lastWrite || !result || *result > 0xFFFFFFFFULL) {
            continue;
        }
        entries.push_back({lines[first],
                           {*size, *lastWrite},
                           static_cast<std::uint32_t>(*result),
                           lines[first + 4],
                           lines[first + 5]});
    }
    return entries;
}

std::vector<std::wstring> FormatSignatureCache(const std::vector<CachedSignature>& entries) {
    std::vector<std::wstring> lines;
    lines.reserve(entries.size() * kSignatureCacheEntryLines);
    for (const CachedSignature& entry : entries) {
        lines.push_back(services::AsOneLine(entry.Path));
        lines.push_back(std::to_wstring(entry.Stamp.size));
        lines.push_back(std::to_wstring(entry.Stamp.lastWrite));
        lines.push_back(HexNumber(entry.TrustResult));
        lines.push_back(services::AsOneLine(entry.Signer));
        lines.push_back(services::AsOneLine(entry.Sha256));
    }
    return lines;
}

void CheckSignatures(platform::Platform& platform, const std::wstring& dataFolder,
                     StartupInventory& inventory, bool save) {
    const std::wstring cachePath = SignatureCachePath(dataFolder);
    std::map<std::wstring, CachedSignature> known; // by lower-case path
    const auto lines = services::ReadTextLines(platform.files, platform.locale, cachePath);
    if (lines) {
        for (CachedSignature& entry : ParseSignatureCache(*lines)) {
            known[platform.locale.ToLower(entry.Path)] = std::move(entry);
        }
    }
    // A file there that cannot be read is not ours to overwrite.
    const bool writable = lines || !platform.files.FileExists(cachePath);
    // This scan's files, in record order, each checked at most once.
    std::map<std::wstring, std::optional<CachedSignature>> seen;
    std::vector<CachedSignature> kept;
    bool changed = false;
    for (int index = 0; index <= inventory.LastRecordIndex; ++index) {
        StartupRecord& record = inventory.Records[static_cast<std::size_t>(index)];
        const std::wstring key = platform.locale.ToLower(record.ExeFolder + L"\\" + record.ExeName);
        const std::wstring path = record.ProgramPath.empty()
                                      ? record.ExeFolder + L"\\" + record.ExeName
                                      : record.ProgramPath;
        auto found = seen.find(key);
        if (found == seen.end()) {
            std::optional<CachedSignature> entry;
            const auto stamp = platform.signatures.Stamp(path);
            const auto cached = known.find(key);
            if (stamp && cached != known.end() && cached->second.Stamp == *stamp) {
                entry = cached->second;
            } else if (stamp) {
                const auto trust = platform.signatures.CheckTrust(path);
                const auto sha256 = platform.signatures.Sha256(path);
                // A file that could not be read is checked again next time, not remembered.
                if (trust && sha256) {
                    entry = CachedSignature{path, *stamp, trust->result, trust->signer, *sha256};
                    changed = true;
                }
            }
            if (entry) {
                kept.push_back(*entry);
            }
            found = seen.emplace(key, std::move(entry)).first;
        }
        record.Signature =
            found->second ? FactsOf(*found->second) : SignatureFromTrust(std::nullopt);
    }
    // Files this scan did not see stay remembered: a program that leaves the startup records and
    // comes back (an installer writing its value again) is not checked again. Up to the cap.
    for (auto& [key, entry] : known) {
        if (kept.size() >= kMaxCachedSignatures) {
            break;
        }
        if (seen.count(key) == 0) {
            kept.push_back(std::move(entry));
        }
    }
    if (!save || !changed || !writable || !platform.files.FolderExists(dataFolder)) {
        return;
    }
    const auto turn = platform.locks.Acquire(dataFolder, kSignatureCacheWaitMilliseconds);
    if (turn) {
        services::WriteTextLines(platform.files, platform.locale, cachePath,
                                 FormatSignatureCache(kept));
    }
}

} // namespace vtrl::inventory
