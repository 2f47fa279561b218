#pragma once
// The inventory scan: every startup place at each of its locations in a fixed order
// (scan_sources.h), each entry added as one record, found or not.

#include "inventory/command_resolver.h"
#include "inventory/running_programs.h"
#include "inventory/scan_sources.h"
#include "inventory/startup_place.h"
#include "inventory/startup_record.h"
#include "inventory/windows_switch.h"
#include "platform/platform.h"
#include "services/system_facts.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::inventory {

enum class ScanOutcome {
    Records,   // at least one record
    NoRecords, // nothing resolved: the caller warns with "INTERFACE"/"NORECORDS" and ends
};

struct ScanOptions {
    // Save each added record's icon as a bitmap named after its executable in the data folder
    // (the manager window asks for it, the check cycle does not).
    bool withIcons = false;
    // Leave no trace: no step markers in the error log and no first-run stamping. For readers
    // such as the console companion that must not change what the program later sees.
    bool readOnly = false;
    // Read each found program's version strings and size. The manager window leaves them out
    // of the scan before its first paint and fills them with a FileFactsReader afterwards: reading
    // a version resource costs about a millisecond a file under Wine, most of a large scan.
    bool withFileFacts = true;
};

// What the key and folder scans share while they add records.
struct ScanContext {
    platform::Platform& platform;
    const services::SystemFacts& facts;
    StartupInventory& inventory;
    ScanOptions options;
    // Taken once per scan; every record gets the running state of that moment.
    std::vector<platform::RunningProcess> processes;
    // PATH and PATHEXT as the scan began.
    CommandResolver resolver;
    // The site being listed.
    const PlaceSite* site = nullptr;
    // Made from the processes and read from the switch keys once, for every record.
    std::optional<RunningProgramIndex> running{};
    WindowsSwitchReader switches{};
    // The slots before this one are in use.
    std::size_t nextSlot = 0;
};

// Makes room for this many more records at once: a place that lists a thousand moves the
// records found before it once, not every time the slots run out.
void ExpectRecords(ScanContext& context, std::size_t count);

// Adds the record with the program of its resolved command: folder, name, arguments, launcher
// and, for a file that exists, its version strings and size.
void AddResolvedRecord(ScanContext& context, StartupRecord record, const ResolvedCommand& resolved);

// Marks every slot free; the other fields stay as they were.
void ClearRecords(StartupInventory& inventory);

// Puts the record into the first free slot, growing the inventory when none is left. The name is
// stored lower-cased and the running state is looked up; the other texts are kept as given.
void AddRecord(ScanContext& context, StartupRecord record);

// The highest slot in use, or -1.
int ComputeLastRecordIndex(const StartupInventory& inventory);

// Rebuilds the inventory from scratch. On the first scan ever for the user (setting
// "Data"/"FirstRun" empty) it stamps each record's executable in "Remind" with the current time.
ScanOutcome ScanStartupRecords(platform::Platform& platform, const services::SystemFacts& facts,
                               StartupInventory& inventory, const ScanOptions& options);
ScanOutcome ScanStartupRecords(platform::Platform& platform, const services::SystemFacts& facts,
                               StartupInventory& inventory, const ScanOptions& options,
                               const ScanSources& sources);

} // namespace vtrl::inventory
