#pragma once
// The white and black lists and the removal log as text for the console companion, through
// text_output. Fields are named as in DecisionEntry and BackupEntry.

#include "cli/text_output.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::cli {

inline constexpr wchar_t kWhiteList[] = L"white";
inline constexpr wchar_t kBlackList[] = L"black";
inline constexpr wchar_t kNoList[] = L"none";

// ExeFolder, ExeName, Arguments, DeleteRecord, KillIfRunning, Status, then the derived List.
const std::vector<std::wstring_view>& DecisionFieldNames();
// "white" for an approved executable, "black" for a restricted one, "none" for any other status.
std::wstring_view ListOf(const std::wstring& status);
OutputRows DecisionRows(std::span<const decisions::DecisionEntry> entries);

// The nine data rows of a log entry under their BackupEntry names, in file order.
const std::vector<std::wstring_view>& BackupFieldNames();
OutputRows BackupRows(std::span<const decisions::BackupEntry> entries);

} // namespace vtrl::cli
