#pragma once
// From WinVerifyTrust's answer to the three states a user is shown, with the reason in words.

#include "inventory/signature_facts.h"
#include "platform/file_signature.h"

#include <optional>
#include <string>

namespace vtrl::inventory {

// The status, signer and reason for a trust check; nullopt (the file could not be opened)
// is Not verified, so that an unreadable file is never taken for one of Windows' own.
SignatureFacts SignatureFromTrust(const std::optional<platform::TrustCheck>& check);

// Why a signature does not verify, in words, for any answer other than success.
std::wstring TrustProblemText(std::uint32_t result);

// "Verified: <signer>", "Not verified (<reason>)" or "Not signed", with the given words for the
// three states (from the language file, or the English defaults for the console companion).
struct SignatureWords {
    std::wstring verified = L"Verified:";
    std::wstring notVerified = L"Not verified";
    std::wstring notSigned = L"Not signed";
};
std::wstring SignatureText(const SignatureFacts& facts, const SignatureWords& words);

} // namespace vtrl::inventory
