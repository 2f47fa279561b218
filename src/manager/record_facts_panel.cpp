#include "manager/record_facts_panel.h"

namespace vtrl::manager {
namespace {

// Not translated: the name of the algorithm is the same in every language.
constexpr wchar_t kSha256Label[] = L"SHA-256";
constexpr wchar_t kLabelEnd[] = L": ";

} // namespace

FactsPanelText PanelTextOf(const std::vector<inventory::RecordFact>& facts,
                           const std::wstring& sha256) {
    FactsPanelText panel;
    const auto addLine = [&panel](const std::wstring& label, const std::wstring& value) {
        panel.lines += (panel.lines.empty() ? L"" : L"\r\n") + label + kLabelEnd + value;
    };
    for (const inventory::RecordFact& fact : facts) {
        if (fact.field == inventory::kFactCommandLine) {
            panel.commandLabel = fact.label + L":";
            panel.commandLine = fact.value;
            continue;
        }
        if (fact.value.empty()) {
            continue;
        }
        addLine(fact.label, fact.value);
        if (fact.field == inventory::kFactSignature && !sha256.empty()) {
            addLine(kSha256Label, sha256);
        }
    }
    return panel;
}

} // namespace vtrl::manager
