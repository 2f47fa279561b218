#include "manager/list_row_text.h"

#include "decisions/decision_database.h"

namespace vtrl::manager {

std::wstring RowStatusText(const inventory::StartupRecord& record,
                           const std::wstring& decisionStatus,
                           const std::function<std::wstring(const std::wstring&)>& text) {
    std::wstring status;
    if (decisionStatus == decisions::kStatusNoDecision) {
        status = text(L"REC-UNKNOWN");
    } else if (decisionStatus == decisions::kStatusApproved) {
        status = text(L"REC-OK");
    } else if (decisionStatus == decisions::kStatusRestricted) {
        status = text(L"REC-BLACK");
    }
    // Switched off in Windows: it does not start, whatever the decision, since the date shown.
    if (!record.EnabledInWindows) {
        std::wstring off = text(L"REC-WINOFF");
        if (!record.DisabledSinceText.empty()) {
            off += L" (" + record.DisabledSinceText + L")";
        }
        status = decisionStatus == decisions::kStatusNoDecision ? off : off + L" - " + status;
    }
    // A missing program is said first: that is what the user must know about the row.
    if (!record.Found) {
        status = decisionStatus == decisions::kStatusNoDecision
                     ? text(L"REC-NOTFOUND")
                     : text(L"REC-NOTFOUND") + L" - " + status;
    }
    if (record.HijackRisk) {
        status = kHijackMarker + status;
    }
    return status;
}

std::wstring RowSignatureText(const inventory::StartupRecord& record,
                              const inventory::SignatureWords& words) {
    if (!record.Found) {
        return {};
    }
    inventory::SignatureFacts facts = record.Signature;
    facts.Reason.clear();
    return inventory::SignatureText(facts, words);
}

} // namespace vtrl::manager
