#pragma once
// What the record page's links find out about a record's program, for a user who is not sure
// what to decide: its folder, the shell's properties of its file, a web search for its name.
// Each acts on the record it is given, never on what a control shows.

#include "inventory/startup_record.h"
#include "platform/platform.h"
#include "services/system_facts.h"

#include <string>

namespace vtrl::manager {

// The name the page shows for the record's program: its file name in upper case.
std::wstring ShownProgramName(platform::Locale& locale, const inventory::StartupRecord& record);
// The web search for an executable's upper-case name: "What is " + name, not encoded.
std::wstring WebSearchAddress(const std::wstring& upperCaseName);

// Opens the program's folder in the shell when the folder exists; nothing otherwise.
void OpenProgramFolder(platform::Platform& platform, const inventory::StartupRecord& record);
// The shell's properties dialog of the program's file, traced as a step that may not return.
void ShowProgramProperties(platform::Platform& platform, const services::SystemFacts& facts,
                           const inventory::StartupRecord& record);
// Opens the web search for the program's shown name in the browser.
void SearchWebForProgram(platform::Platform& platform, const inventory::StartupRecord& record);

} // namespace vtrl::manager
