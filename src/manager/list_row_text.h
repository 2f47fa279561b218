#pragma once
// What a row of the startup list says about its record, beside the name: the decision, and in
// front of it what the user must know first (a missing program, a hijack risk); and below the
// name the signature in one short line.

#include "inventory/signature_status.h"
#include "inventory/startup_record.h"

#include <functional>
#include <string>

namespace vtrl::manager {

// Between the parts of a row's lighter lines.
inline constexpr wchar_t kRowSeparator[] = L" \u00B7 ";

// Leads the status of a row whose unquoted command may start another program in its stead.
inline constexpr wchar_t kHijackMarker[] = L"(!) ";

// The status for a decision status ("0", "1", "2"; anything else says nothing), with the texts
// taken from the language file by key. A record switched off in Windows says so first, with the
// date when Windows keeps one, in place of "no decision yet".
std::wstring RowStatusText(const inventory::StartupRecord& record,
                           const std::wstring& decisionStatus,
                           const std::function<std::wstring(const std::wstring&)>& text);

// The name a row shows: the program's description, else its file name in upper case.
std::wstring RowNameText(const inventory::StartupRecord& record,
                         const std::function<std::wstring(const std::wstring&)>& upper);

// The lighter line under the name: the publisher, " · ", the place in words; the place alone
// when the program names no publisher.
std::wstring RowPlaceText(const inventory::StartupRecord& record, const std::wstring& placeWords);

// The markers under the status, as short words ("MARK-" keys) joined by " · ": running, hijack
// risk. A missing program and one switched off in Windows are said by the status itself.
std::wstring RowMarksText(const inventory::StartupRecord& record,
                          const std::function<std::wstring(const std::wstring&)>& text);

// The signature line without the reason a signature fails (that is for the record page); empty
// for a program that is not found, whose row already says so.
std::wstring RowSignatureText(const inventory::StartupRecord& record,
                              const inventory::SignatureWords& words);

} // namespace vtrl::manager
