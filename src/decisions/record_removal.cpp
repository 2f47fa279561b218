#include "decisions/record_removal.h"

#include "decisions/backup_log.h"
#include "inventory/startup_place.h"

namespace vtrl::decisions {

std::wstring FullLocationOf(const inventory::StartupRecord& record) {
    const inventory::StartupPlace* place = inventory::PlaceOfKind(record.Kind);
    return place != nullptr ? place->FullLocation(record)
                            : record.Location + L"\\" + record.EntryName;
}

StoreResult RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                const inventory::StartupRecord& record) {
    const inventory::StartupPlace* place = inventory::PlaceOfKind(record.Kind);
    if (place == nullptr || !place->CanRemove(record)) {
        return {StoreOutcome::NotRemovable};
    }
    const std::wstring fullLocation = place->FullLocation(record);
    // What the log's lines cannot write back is kept only in its exact copy: without one (too
    // large, unreadable) it is neither logged nor deleted.
    const bool needsCopy = !place->RestorableFromLog();
    if (needsCopy && !place->Read(platform, record)) {
        return {StoreOutcome::Failed};
    }
    bool copied = false;
    const StoreResult backup =
        BackupAndLogRemoval(platform, dataFolder, record.Kind, fullLocation, record.ExeFolder,
                            record.ExeName, record.Arguments, record.CommandLine, [&] {
                                auto content = place->Read(platform, record);
                                copied = content.has_value();
                                return content;
                            });
    if (!backup) {
        return backup;
    }
    if (needsCopy && !copied) {
        return {StoreOutcome::Failed};
    }
    return {place->Remove(platform, record) ? StoreOutcome::Stored : StoreOutcome::Failed};
}

} // namespace vtrl::decisions
