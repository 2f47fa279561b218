#pragma once
// Writing a removed startup record back from its backup entry, but only to a place Vantorel
// scans: the entry is a text file any process of the user can edit, and an elevated manager must
// not be steered into writing elsewhere.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "inventory/startup_place.h"
#include "platform/platform.h"
#include "services/system_facts.h"

#include <optional>
#include <string>

namespace vtrl::decisions {

// Where a restore writes: an entry at one scanned location of the entry's place type.
struct RestoreTarget {
    inventory::PlaceSite site; // the scanned site ("HKEY_...\...\Run", a Startup folder, ...)
    std::wstring entry;        // what names the record there (a value name, a file name, ...)
};

// The target of the entry when its kind names a place type and its full location names an entry
// at a location of that type Vantorel scans (whoever runs it: also the machine-wide ones a
// standard user's scan skips); nullopt for any other place.
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
// Writes the record back through its place type: exactly as it was removed when the entry's exact
// copy is kept (record_copy.h), from the log's lines otherwise (an entry written before copies
// were kept, or whose place could not be read). Then it starts the command line once, with the
// user's environment variables expanded, and approves the executable in the decision file as it is
// now. Each step runs even when an earlier one failed; an entry whose location is not a scanned one
// does none of them. The question before and the message after belong to the undo page.
RestoreOutcome RestoreRemovedRecord(platform::Platform& platform,
                                    const services::SystemFacts& facts, Decisions& decisions,
                                    const BackupEntry& entry);

} // namespace vtrl::decisions
