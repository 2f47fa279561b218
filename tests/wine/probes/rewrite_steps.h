#pragma once
// The contents the crash test's child rewrites in turn, made by the program's own routines on the
// real file system with a fixed clock, so that every content is known to the byte.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "platform/win32/win32_platform.h"
#include "services/text_file.h"

#include <string>

namespace vtrl::crashtest {

class FixedClock final : public platform::Clock {
public:
    platform::LocalTime Now() override { return {2026, 3, 14, 15, 9, 26}; }
    platform::LocalTime UtcNow() override { return Now(); }
    std::optional<platform::LocalTime> LocalOfUtc(const platform::LocalTime& utc) override {
        return utc;
    }
};

// The real platform, but every backup entry carries the same removal time.
class RewritePlatform {
public:
    platform::Platform& Get() { return platform_; }

private:
    static platform::Platform WithClock(platform::Platform& real, platform::Clock& clock) {
        return {real.registry, real.files, real.folders,     real.links,      real.locale,
                real.version,  clock,      real.processes,   real.ini,        real.messages,
                real.launcher, real.http,  real.icons,       real.sound,      real.desktop,
                real.changes,  real.locks, real.environment, real.signatures, real.clipboard};
    }
    win32::Win32Platform real_;
    FixedClock clock_;
    platform::Platform platform_ = WithClock(real_.Get(), clock_);
};

// ActionsDB.txt holding one decision. A save keeps every stored entry, so going back from two
// entries to one is a whole rewrite of the file through the same replacement a save uses.
inline bool WriteOneDecision(platform::Platform& platform, const std::wstring& folder) {
    decisions::Decisions table;
    table.DecisionTable[0] = {true,  L"c:\\program files\\alpha", L"alpha.exe", L"", false,
                              false, decisions::kStatusApproved};
    table.DecisionLastIndex = 0;
    return services::WriteTextLines(platform.files, platform.locale,
                                    decisions::DecisionFilePath(folder),
                                    decisions::FormatDecisionLines(table));
}

// ActionsDB.txt holding two decisions; on its way it holds the one decision again.
inline bool WriteTwoDecisions(platform::Platform& platform, const std::wstring& folder) {
    decisions::Decisions table;
    return decisions::SaveDecision(platform, folder, table, L"C:\\Program Files\\Alpha",
                                   L"alpha.exe", L"", false, false, decisions::kStatusApproved) &&
           decisions::SaveDecision(platform, folder, table, L"C:\\Tools\\Beta Updater",
                                   L"betaupd.exe", L"/background --quiet", true, true,
                                   decisions::kStatusRestricted);
}

// Logging one of two removals moves its entry to the end of BackupAndLog.txt, so the log holds
// the two entries in one order or the other.
inline bool LogFirstRemoval(platform::Platform& platform, const std::wstring& folder) {
    return static_cast<bool>(decisions::BackupAndLogRemoval(
        platform, folder, L"REGISTRY",
        L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Alpha",
        L"C:\\Program Files\\Alpha", L"alpha.exe", L"",
        L"\"C:\\Program Files\\Alpha\\alpha.exe\""));
}

inline bool LogSecondRemoval(platform::Platform& platform, const std::wstring& folder) {
    return static_cast<bool>(decisions::BackupAndLogRemoval(
        platform, folder, L"SHORTCUT",
        L"C:\\users\\tester\\Start Menu\\Programs\\Startup\\Beta Updater.lnk",
        L"C:\\Tools\\Beta Updater", L"betaupd.exe", L"/background --quiet",
        L"C:\\Tools\\Beta Updater\\betaupd.exe /background --quiet"));
}

} // namespace vtrl::crashtest
