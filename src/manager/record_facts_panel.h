#pragma once
// The facts panel of the record page: the record's command line in a row of its own (to select
// and copy), and every other fact as a "Label: value" line of one scrolling box, the program's
// signature and SHA-256 among them.

#include "inventory/record_facts.h"

#include <string>
#include <vector>

namespace vtrl::manager {

struct FactsPanelText {
    std::wstring commandLabel; // "Command line:"
    std::wstring commandLine;  // exactly as stored
    std::wstring lines;        // the other facts, one per line, CR LF between them
};

// The panel's texts from the record's facts; an empty "Also started from" is left out, and
// the SHA-256 of the program, when known, follows its signature.
FactsPanelText PanelTextOf(const std::vector<inventory::RecordFact>& facts,
                           const std::wstring& sha256);

} // namespace vtrl::manager
