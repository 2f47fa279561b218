#include "decisions/record_decision.h"

#include "inventory/launcher_names.h"

namespace vtrl::decisions {

bool PublisherRuleCouldApply(const inventory::StartupRecord& record) {
    return record.Signature.Status == inventory::SignatureStatus::Verified &&
           !record.Signature.Signer.empty() && !inventory::IsLauncherName(record.ExeName);
}

bool PublisherRuleApplies(const PublisherRules& rules, const inventory::StartupRecord& record) {
    return PublisherRuleCouldApply(record) && HasPublisherRule(rules, record.Signature.Signer);
}

DecisionEntry LookupRecordDecision(platform::Locale& locale, const Decisions& decisions,
                                   const PublisherRules& rules, inventory::StartupRecord& record) {
    DecisionEntry decision = LookupDecision(locale, decisions, record);
    if (decision.Status == kStatusNoDecision && PublisherRuleApplies(rules, record)) {
        decision.Status = kStatusApproved;
    }
    return decision;
}

} // namespace vtrl::decisions
