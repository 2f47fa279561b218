#pragma once
// Writing a removed startup record back from its backup entry, but only to a place Vantorel
// scans: the entry is a text file any process of the user can edit, and an elevated manager must
// not be steered into writing elsewhere.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "platform/platform.h"
#include "services/system_facts.h"

#include <optional>
#include <string>

namespace vtrl::decisions {

// Where a restore writes: a value under one of the scanned Run-type keys or a Startup folder's
// "User Shell Folders" value, or a file directly in one of the two Startup folders.
struct RestoreTarget {
    std::wstring runKey;    // the scanned key's text ("HKEY_...\...\Run"), empty for a file
    std::wstring valueName; // the value under it; may hold backslashes
    std::wstring linkPath;  // the file's full path, empty for a value
};

// The target of the entry when its kind and full location name a startup location Vantorel
// scans (the Run, RunOnce and RunOnceEx keys of both hives and both views, a shortcut or other
// file directly in the user's or the all-users Startup folder, the two folders' "User Shell
// Folders" values, whoever runs it); nullopt for any other place.
std::optional<RestoreTarget> ScannedRestoreTarget(platform::Locale& locale,
                                                  const services::SystemFacts& facts,
                                                  const BackupEntry& entry);

// The undo question: the prompt, two line breaks, the full location that will be written, a line
// break, then the command that will start.
std::wstring RestoreQuestion(const std::wstring& prompt, const BackupEntry& entry);

struct RestoreOutcome {
    bool refused = false;       // the location is not a scanned one: nothing was done
    bool exactCopy = false;     // written from the exact copy kept with the entry
    bool recordWritten = false; // the registry value or the shortcut was written
    bool started = false;       // the command line started
    StoreResult approved;       // the decision file now approves the executable
};
// Writes the record back exactly as it was removed when the entry's exact copy is kept
// (record_copy.h): the value with its own type and data, or the file's own bytes and attributes.
// An entry without one (written before copies were kept, or whose place could not be read) writes
// a REG_SZ value holding the command line (REG_EXPAND_SZ for a folder redirection), or a shortcut
// to folder\name with the arguments and the folder as working folder; another Startup-folder file
// is then not written at all. Then it starts the command line once, with the user's environment
// variables expanded (a Startup-folder file: the shell opens the file written back; a redirection
// starts nothing), and approves the executable in the decision file as it is now. Each step runs
// even when an earlier one failed; an entry whose location is not a scanned one does none of them.
// The question before and the message after belong to the undo page.
RestoreOutcome RestoreRemovedRecord(platform::Platform& platform,
                                    const services::SystemFacts& facts, Decisions& decisions,
                                    const BackupEntry& entry);

} // namespace vtrl::decisions
