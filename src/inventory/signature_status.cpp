#include "inventory/signature_status.h"

#include <array>
#include <cwchar>

namespace vtrl::inventory {

namespace {

struct TrustProblem {
    std::uint32_t result;
    const wchar_t* text;
};

constexpr std::array<TrustProblem, 12> kTrustProblems{{
    {platform::kTrustBadDigest, L"the file was changed after it was signed"},
    {platform::kTrustUntrustedRoot, L"the certificate chain ends in an untrusted root"},
    {platform::kTrustChaining, L"the certificate chain cannot be built"},
    {platform::kTrustCertificateExpired, L"the signing certificate has expired"},
    {platform::kTrustCertificateRevoked, L"the signing certificate was revoked"},
    {platform::kTrustExplicitDistrust, L"the signer is explicitly distrusted"},
    {platform::kTrustWrongUsage, L"the certificate is not for code signing"},
    {platform::kTrustCertificateSignature, L"a certificate's own signature is invalid"},
    {platform::kTrustNoSignerCertificate, L"the signer's certificate is missing"},
    {platform::kTrustSecuritySettings, L"the local security policy rejects it"},
    {platform::kTrustFileError, L"the file could not be read"},
    {platform::kTrustBadMessage, L"the signature is damaged"},
}};

} // namespace

std::wstring TrustProblemText(std::uint32_t result) {
    for (const TrustProblem& problem : kTrustProblems) {
        if (problem.result == result) {
            return problem.text;
        }
    }
    std::array<wchar_t, 32> code{};
    std::swprintf(code.data(), code.size(), L"error 0x%08X", static_cast<unsigned>(result));
    return code.data();
}

SignatureFacts SignatureFromTrust(const std::optional<platform::TrustCheck>& check) {
    SignatureFacts facts;
    if (!check) {
        facts.Status = SignatureStatus::NotVerified;
        facts.Reason = TrustProblemText(platform::kTrustFileError);
        return facts;
    }
    if (platform::IsUnsignedAnswer(check->result)) {
        facts.Status = SignatureStatus::NotSigned;
        return facts;
    }
    facts.Signer = check->signer;
    if (check->result == platform::kTrustOk) {
        facts.Status = SignatureStatus::Verified;
        return facts;
    }
    facts.Status = SignatureStatus::NotVerified;
    facts.Reason = TrustProblemText(check->result);
    return facts;
}

std::wstring SignatureText(const SignatureFacts& facts, const SignatureWords& words) {
    switch (facts.Status) {
    case SignatureStatus::Verified:
        return words.verified + L" " + facts.Signer;
    case SignatureStatus::NotVerified:
        return facts.Reason.empty() ? words.notVerified
                                    : words.notVerified + L" (" + facts.Reason + L")";
    case SignatureStatus::NotSigned:
        break;
    }
    return words.notSigned;
}

} // namespace vtrl::inventory
