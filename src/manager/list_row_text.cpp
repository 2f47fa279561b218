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

std::wstring RowNameText(const inventory::StartupRecord& record,
                         const std::function<std::wstring(const std::wstring&)>& upper) {
    // A description of blanks only says nothing.
    if (record.Description.find_first_not_of(L" \t") != std::wstring::npos) {
        return record.Description;
    }
    return upper(record.ExeName);
}

std::wstring RowPlaceText(const inventory::StartupRecord& record, const std::wstring& placeWords) {
    if (record.Company.find_first_not_of(L" \t") == std::wstring::npos) {
        return placeWords;
    }
    return placeWords.empty() ? record.Company : record.Company + kRowSeparator + placeWords;
}

std::wstring RowMarksText(const inventory::StartupRecord& record,
                          const std::function<std::wstring(const std::wstring&)>& text) {
    std::wstring marks;
    const auto add = [&marks, &text](const wchar_t* key) {
        marks += (marks.empty() ? L"" : kRowSeparator) + text(key);
    };
    if (record.IsRunning) {
        add(L"MARK-RUNNING");
    }
    if (record.HijackRisk) {
        add(L"MARK-HIJACK");
    }
    return marks;
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
