#pragma once
// The version strings and size of the records' programs, read after a scan that left them out:
// each program file is read once, however many records name it.

#include "inventory/command_resolution.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <map>
#include <string>

namespace vtrl::inventory {

class FileFactsReader {
public:
    // Reads the facts of a found record's program into it, as a scan with file facts does; a
    // record whose program was not found is left as it is. A program read before gives what it
    // gave then.
    void Fill(platform::Platform& platform, StartupRecord& record);

private:
    std::map<std::wstring, FileFacts> read_; // by the program's path as found
};

} // namespace vtrl::inventory
