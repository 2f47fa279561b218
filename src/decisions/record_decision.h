#pragma once
// The decision that holds for a record: its own entry in the decision database, or else the
// white list's publisher rule for whoever signed its program.

#include "decisions/decision_database.h"
#include "decisions/publisher_rules.h"

namespace vtrl::decisions {

// Whether a publisher rule could approve the record's program at all: its signature verifies,
// the signer has a name, and the program is not a launcher.
bool PublisherRuleCouldApply(const inventory::StartupRecord& record);

// Whether a publisher rule approves the record's program: its signature verifies as made by an
// approved publisher, and the program is not a launcher (rundll32, wscript, cmd, ...) whose
// payload is unknown; a launcher's payload is judged by its own signature instead. A program
// whose signature stops verifying loses the approval.
bool PublisherRuleApplies(const PublisherRules& rules, const inventory::StartupRecord& record);

// LookupDecision (lower-casing the record's folder and name in place, as it does); when that
// finds no decision ("0") and a publisher rule applies, the record counts as approved ("1").
// A decision of the record's own, restricted or approved, always wins.
DecisionEntry LookupRecordDecision(platform::Locale& locale, const Decisions& decisions,
                                   const PublisherRules& rules, inventory::StartupRecord& record);

} // namespace vtrl::decisions
