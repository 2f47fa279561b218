// ActionsDB.txt: any bytes load as whole 11-line entries, and after every save the file loads
// back to exactly the table in memory, whatever the keys hold. What a load must give is worked
// out here from the bytes alone (ReadFileOracle), without the product's line splitter or entry
// parser, and every saved file is read the same way.

#include "decisions/decision_database.h"
#include "fuzz_support.h"
#include "services/text_file.h"

#include <vector>

namespace {

using vtrl::decisions::DecisionEntry;
using vtrl::decisions::Decisions;

std::vector<DecisionEntry> InUse(const Decisions& decisions) {
    std::vector<DecisionEntry> entries;
    for (const DecisionEntry& entry : decisions.DecisionTable) {
        if (entry.InUse) {
            entries.push_back(entry);
        }
    }
    return entries;
}

// The file's format, read from its text: lines end at CR LF, a lone CR or a lone LF (a last
// line without an ending counts); every 11 lines are an entry - line 2 the folder, 3 the name,
// 4 the arguments, 5 and 6 "Y" for kill and delete, 7 the status; a short last entry is
// ignored. Bytes without a byte-order mark are read in the fuzz profile's code page, which maps
// each byte to the character of the same number; a file with a mark is decoded by the product's
// decoder (its own unit tests check it), and only the lines and entries are worked out here.
std::vector<DecisionEntry> ReadFileOracle(vtrl::platform::Locale& locale,
                                          const std::string& bytes) {
    std::wstring text;
    if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
        bytes.starts_with("\xFE\xFF")) {
        text = vtrl::services::DecodeText(locale, bytes).text;
    } else {
        for (const char byte : bytes) {
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
        }
    }
    std::vector<std::wstring> lines;
    std::wstring line;
    bool pending = false; // a line has begun (or the last one ended with a break)
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t character = text[i];
        if (character == L'\r' || character == L'\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (character == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
        } else {
            line.push_back(character);
            pending = true;
        }
    }
    if (pending) {
        lines.push_back(line);
    }
    std::vector<DecisionEntry> entries;
    for (std::size_t first = 0; first + 11 <= lines.size(); first += 11) {
        DecisionEntry entry;
        entry.InUse = true;
        entry.ExeFolder = lines[first + 1];
        entry.ExeName = lines[first + 2];
        entry.Arguments = lines[first + 3];
        entry.KillIfRunning = lines[first + 4] == L"Y";
        entry.DeleteRecord = lines[first + 5] == L"Y";
        entry.Status = lines[first + 6];
        entries.push_back(std::move(entry));
    }
    return entries;
}

// A file the program wrote: every line ended by CR LF, no other CR or LF.
bool WrittenInCrLf(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) {
            return false;
        }
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            return false;
        }
    }
    return bytes.empty() || bytes.ends_with("\r\n");
}

// What a save keeps of a file that did not read cleanly (its bytes are kept aside first): the
// entries without characters of a foreign encoding.
std::vector<DecisionEntry> Understood(std::vector<DecisionEntry> entries) {
    std::erase_if(entries, [](const DecisionEntry& entry) {
        return vtrl::decisions::HasForeignCharacters(entry.ExeFolder) ||
               vtrl::decisions::HasForeignCharacters(entry.ExeName) ||
               vtrl::decisions::HasForeignCharacters(entry.Arguments) ||
               vtrl::decisions::HasForeignCharacters(entry.Status);
    });
    return entries;
}

// Slots 0..DecisionLastIndex in use, none above: what every user of the table relies on.
void CheckDense(const Decisions& decisions) {
    for (std::size_t slot = 0; slot < decisions.DecisionTable.size(); ++slot) {
        const bool below = static_cast<int>(slot) <= decisions.DecisionLastIndex;
        VTRL_FUZZ_CHECK(decisions.DecisionTable[slot].InUse == below);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    vtrl::platform::Platform& platform = fake.Get();
    const std::wstring path = vtrl::decisions::DecisionFilePath(vtrl::fuzz::kDataFolder);

    const std::size_t saves = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    struct Save {
        std::wstring folder, name, arguments, status;
        bool kill, remove;
    };
    std::vector<Save> plan;
    for (std::size_t i = 0; i < saves; ++i) {
        Save save;
        save.folder = vtrl::fuzz::AnsiText(input, 64);
        save.name = vtrl::fuzz::AnsiText(input, 32);
        save.arguments = vtrl::fuzz::AnsiText(input, 128);
        save.status = vtrl::fuzz::AnsiText(input, 4);
        save.kill = input.ConsumeBool();
        save.remove = input.ConsumeBool();
        plan.push_back(std::move(save));
    }
    const std::string file = vtrl::fuzz::RestAsFile(input);
    fake.files.AddFile(path, file);

    Decisions decisions;
    vtrl::decisions::LoadDecisions(platform.files, platform.locale, vtrl::fuzz::kDataFolder,
                                   decisions);
    VTRL_FUZZ_CHECK(!decisions.FileUnreadable);
    CheckDense(decisions);
    const std::vector<DecisionEntry> expected = ReadFileOracle(fake.locale, file);
    VTRL_FUZZ_CHECK(decisions.DecisionLastIndex + 1 == static_cast<int>(expected.size()));
    VTRL_FUZZ_CHECK(InUse(decisions) == expected);

    for (const Save& save : plan) {
        const std::vector<DecisionEntry> before = Understood(InUse(decisions));
        VTRL_FUZZ_CHECK(vtrl::decisions::SaveDecision(platform, vtrl::fuzz::kDataFolder, decisions,
                                                      save.folder, save.name, save.arguments,
                                                      save.kill, save.remove, save.status));
        CheckDense(decisions);
        // A save adds one entry or changes one; no other entry moves or changes.
        const std::vector<DecisionEntry> after = InUse(decisions);
        VTRL_FUZZ_CHECK(after.size() == before.size() || after.size() == before.size() + 1);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            changed += before[i] == after[i] ? 0 : 1;
        }
        VTRL_FUZZ_CHECK(changed + (after.size() - before.size()) <= 1);

        // The file as written holds exactly the table, read without the product's reader.
        const auto written = fake.files.Content(path);
        VTRL_FUZZ_CHECK(written.has_value());
        VTRL_FUZZ_CHECK(WrittenInCrLf(*written));
        VTRL_FUZZ_CHECK(ReadFileOracle(fake.locale, *written) == after);

        Decisions reloaded;
        vtrl::decisions::LoadDecisions(platform.files, platform.locale, vtrl::fuzz::kDataFolder,
                                       reloaded);
        VTRL_FUZZ_CHECK(InUse(reloaded) == after);
        VTRL_FUZZ_CHECK(reloaded.DecisionLastIndex == decisions.DecisionLastIndex);

        // The saved key is found again under its own spelling, with the flags as given.
        vtrl::inventory::StartupRecord record;
        record.ExeFolder = save.folder;
        record.ExeName = save.name;
        record.Arguments = save.arguments;
        const DecisionEntry found = vtrl::decisions::LookupDecision(fake.locale, reloaded, record);
        VTRL_FUZZ_CHECK(found.Status ==
                        vtrl::decisions::AsStoredText(fake.locale.ToUpper(save.status)));
        VTRL_FUZZ_CHECK(found.KillIfRunning == save.kill && found.DeleteRecord == save.remove);
    }
    return 0;
}
