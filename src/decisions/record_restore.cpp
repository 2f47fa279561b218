#include "decisions/record_restore.h"

#include "decisions/record_copy.h"
#include "inventory/inventory_scan.h"

namespace vtrl::decisions {

namespace {

// The target of the copy's exact location, which differs from the entry's only where the log
// cannot hold a character; nullopt when that is not a scanned place.
std::optional<RestoreTarget> ExactTarget(platform::Locale& locale,
                                         const services::SystemFacts& facts,
                                         const BackupEntry& entry, const RecordCopy& copy) {
    BackupEntry exact = entry;
    exact.FullLocation = copy.content.exactLocation;
    return ScannedRestoreTarget(locale, facts, exact);
}

} // namespace

std::optional<RestoreTarget> ScannedRestoreTarget(platform::Locale& locale,
                                                  const services::SystemFacts& facts,
                                                  const BackupEntry& entry) {
    const inventory::StartupPlace* place = inventory::PlaceOfKind(entry.Kind);
    if (place == nullptr) {
        return std::nullopt;
    }
    // Every place the scan can look, also those it skips for this user.
    services::SystemFacts everywhere = facts;
    everywhere.IsAdmin = true;
    for (const inventory::PlaceSite& site : inventory::DefaultScanSources(everywhere).places) {
        if (site.type != place) {
            continue;
        }
        if (auto name = place->EntryAt(locale, site, entry.FullLocation)) {
            return RestoreTarget{site, std::move(*name)};
        }
    }
    return std::nullopt;
}

std::wstring RestoreQuestion(const std::wstring& prompt, const BackupEntry& entry) {
    return prompt + L"\r\n\r\n" + entry.FullLocation + L"\r\n" + entry.CommandLine;
}

RestoreOutcome RestoreRemovedRecord(platform::Platform& platform,
                                    const services::SystemFacts& facts, Decisions& decisions,
                                    const BackupEntry& entry) {
    RestoreOutcome outcome;
    const auto target = ScannedRestoreTarget(platform.locale, facts, entry);
    if (!target) {
        outcome.refused = true;
        return outcome;
    }
    const auto copy = FindRecordCopy(platform.files, platform.locale, facts.DataFolder, entry);
    const auto exactTarget =
        copy ? ExactTarget(platform.locale, facts, entry, *copy) : std::nullopt;
    if (exactTarget) {
        outcome.exactCopy = true;
        outcome.recordWritten = exactTarget->site.type->WriteBack(
            platform, exactTarget->site, exactTarget->entry, copy->content);
    }
    const inventory::LoggedRecord logged{entry.ExeFolder, entry.ExeName, entry.Arguments,
                                         entry.CommandLine};
    if (!exactTarget) {
        outcome.recordWritten =
            target->site.type->WriteFromLog(platform, target->site, target->entry, logged);
    }
    outcome.started =
        target->site.type->StartRestored(platform, target->site, target->entry, logged);
    outcome.approved = SaveDecision(platform, facts.DataFolder, decisions, entry.ExeFolder,
                                    entry.ExeName, entry.Arguments, false, false, kStatusApproved);
    return outcome;
}

} // namespace vtrl::decisions
