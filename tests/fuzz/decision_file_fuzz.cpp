// ActionsDB.txt: any bytes load as whole 11-line entries, and after every save the file loads
// back to exactly the table in memory, whatever the keys hold.

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
    vtrl::decisions::LoadDecisions(platform, vtrl::fuzz::kDataFolder, decisions);
    VTRL_FUZZ_CHECK(!decisions.FileUnreadable);
    CheckDense(decisions);
    const std::vector<std::wstring> lines =
        vtrl::services::SplitLines(vtrl::services::DecodeText(fake.locale, file).text);
    VTRL_FUZZ_CHECK(decisions.DecisionLastIndex + 1 ==
                    static_cast<int>(lines.size() / vtrl::decisions::kDecisionEntryLines));
    VTRL_FUZZ_CHECK(InUse(decisions) == vtrl::decisions::ParseDecisionLines(lines));

    for (const Save& save : plan) {
        const std::vector<DecisionEntry> before = InUse(decisions);
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

        Decisions reloaded;
        vtrl::decisions::LoadDecisions(platform, vtrl::fuzz::kDataFolder, reloaded);
        VTRL_FUZZ_CHECK(InUse(reloaded) == after);
        VTRL_FUZZ_CHECK(reloaded.DecisionLastIndex == decisions.DecisionLastIndex);

        // The saved key is found again under its own spelling, with the flags as given.
        vtrl::inventory::StartupRecord record;
        record.ExeFolder = save.folder;
        record.ExeName = save.name;
        record.Arguments = save.arguments;
        const DecisionEntry found = vtrl::decisions::LookupDecision(fake.locale, reloaded, record);
        VTRL_FUZZ_CHECK(found.Status ==
                        vtrl::services::AsOneLine(fake.locale.ToUpper(save.status)));
        VTRL_FUZZ_CHECK(found.KillIfRunning == save.kill && found.DeleteRecord == save.remove);
    }
    return 0;
}
