#include "inventory/file_facts_reader.h"

namespace vtrl::inventory {

void FileFactsReader::Fill(platform::Platform& platform, StartupRecord& record) {
    if (!record.Found || record.ProgramPath.empty()) {
        return;
    }
    auto known = read_.find(record.ProgramPath);
    if (known == read_.end()) {
        known =
            read_.emplace(record.ProgramPath, GatherFileFacts(platform, record.ProgramPath)).first;
    }
    record.Company = known->second.Company;
    record.Description = known->second.Description;
    record.FileSize = known->second.Size;
}

} // namespace vtrl::inventory
