#pragma once
// Who made a record's program, as its signature proves it rather than as its version resource
// claims it, and the SHA-256 that names its exact bytes.

#include <cstdint>
#include <string>

namespace vtrl::inventory {

enum class SignatureStatus {
    NotSigned,   // no signature of its own and no catalog lists it
    Verified,    // the signature verifies: Signer made it
    NotVerified, // a signature that does not verify (Reason), or a file that could not be read
};

struct SignatureFacts {
    SignatureStatus Status = SignatureStatus::NotSigned;
    std::wstring Signer; // the signer certificate's subject name; may be set when not verified
    std::wstring Reason; // why it does not verify; empty otherwise
    std::wstring Sha256; // lower-case hex; empty when the file could not be read
    friend bool operator==(const SignatureFacts&, const SignatureFacts&) = default;
};

} // namespace vtrl::inventory
