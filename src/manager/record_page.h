#pragma once
// The record page: one startup record, the decision about it, and help for making it (the
// file's properties, a web search, its folder, the way back through the undo page).

#include "inventory/startup_record.h"
#include "manager/enlarged_icon.h"
#include "platform/ui/control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::manager {

class Main;

// The status an "Ok" stores for the selected option: "0", "1", "2", or empty for "Just for now".
std::wstring StatusForChoice(bool noDecision, bool approved, bool restricted);
// "Approve everything %1 starts" with the publisher put in for %1.
std::wstring PublisherLinkText(const std::wstring& pattern, const std::wstring& publisher);

class RecordPage {
public:
    explicit RecordPage(Main& main) : main_(main) {}

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    // Fills the page for record index and shows it (a click on a row of the list).
    void Open(int index);
    // The record the page was last opened on; the handlers act on it and do nothing without one.
    std::optional<int> OpenRecordIndex() const { return openRecord_; }

    void UpdateRestrictOptions();
    void Command1_Click();
    void Label1_Click();
    void Label4_Click();
    void Label6_Click();
    void Label7_Click();
    void Label10_Click();
    void LabelPublisher_Click();
    // The facts box grows down to the notes and the publisher link, or to the page's foot
    // when neither shows.
    void LayOutFoot();
    // "Copy": the command line as stored onto the clipboard; a warning when it stays as it was.
    void LabelCopy_Click();
    // "Switch off" / "Switch on": Windows' own switch of the record, at once.
    void CommandSwitch_Click();

    // The help column on the left.
    ui::Control Label2{ui::ControlKind::Label, L"Label2", {120, 120, 3120, 255}, L"Not sure?"};
    ui::Control Label5{ui::ControlKind::Label,
                       L"Label5",
                       {120, 420, 3120, 780},
                       L"If you're not sure which option to choose click links below to find "
                       L"out more information about that file."};
    ui::Control Label4{
        ui::ControlKind::Label, L"Label4", {120, 1260, 3120, 255}, L"See file properties"};
    ui::Control Label6{
        ui::ControlKind::Label, L"Label6", {120, 1560, 3120, 255}, L"Answer on the Web"};
    ui::Control Label9{ui::ControlKind::Label, L"Label9", {120, 1920, 3120, 255}, L"Undo delete"};
    ui::Control Label7{ui::ControlKind::Label,
                       L"Label7",
                       {120, 2220, 3120, 495},
                       L"You can undo any changes if something will go wrong!"};
    ui::Control Label10{
        ui::ControlKind::Label, L"Label10", {120, 2760, 3120, 255}, L"Undo changes"};

    // The record and the decision, from left 3600.
    ui::Control Label1{ui::ControlKind::Label, L"Label1", {3600, 180, 4080, 375}};
    ui::Control Image1{ui::ControlKind::Picture, L"Image1", {7800, 120, 960, 960}};
    ui::Control Label14{ui::ControlKind::Label,
                        L"Label14",
                        {3600, 600, 4080, 495},
                        L"What would you like to do with this startup record?"};
    ui::Control Option1{ui::ControlKind::OptionButton,
                        L"Option1",
                        {3600, 1140, 5175, 255},
                        L"I made no descision yet"};
    ui::Control Option2{ui::ControlKind::OptionButton,
                        L"Option2",
                        {3600, 1410, 5175, 255},
                        L"I approve it, leave as is"};
    ui::Control Option3{
        ui::ControlKind::OptionButton, L"Option3", {3600, 1680, 5175, 255}, L"Restricted:"};
    ui::Control Check3{
        ui::ControlKind::CheckBox, L"Check3", {3960, 1950, 4815, 255}, L"Delete startup record"};
    ui::Control Check4{ui::ControlKind::CheckBox,
                       L"Check4",
                       {3960, 2220, 4815, 255},
                       L"Shut down file if running"};
    ui::Control Option9{ui::ControlKind::OptionButton,
                        L"Option9",
                        {3600, 2490, 5175, 255},
                        L"Just for now: delete startup record"};
    ui::Control Command1{ui::ControlKind::Button, L"Command1", {3600, 2820, 1455, 375}, L"Ok"};
    // Only for a record Windows has a switch for; its caption says which way it goes.
    ui::Control CommandSwitch{
        ui::ControlKind::Button, L"CommandSwitch", {5220, 2820, 2055, 375}, L"Switch off"};

    // The facts panel across the foot of the page: the command line as stored, to select or
    // copy, then the other facts (signature and SHA-256 among them) in a box that scrolls.
    ui::Control LabelCommandLine{
        ui::ControlKind::Label, L"LabelCommandLine", {120, 3315, 1860, 255}};
    ui::Control TextCommandLine{
        ui::ControlKind::TextBox, L"TextCommandLine", {2040, 3270, 5970, 300}};
    ui::Control LabelCopy{ui::ControlKind::Label, L"LabelCopy", {8100, 3315, 675, 255}, L"Copy"};
    ui::Control TextFacts{ui::ControlKind::TextBox, L"TextFacts", {120, 3630, 8655, 990}};
    // What runs the program and what is wrong with its command, under the facts.
    ui::Control Label15{ui::ControlKind::Label, L"Label15", {120, 4665, 8655, 390}};
    // "Approve everything <publisher> starts": only for a verified program that is no launcher
    // and whose publisher is not approved yet.
    ui::Control LabelPublisher{ui::ControlKind::Label, L"LabelPublisher", {120, 5040, 8655, 255}};

private:
    // The open record in the main window's inventory, or nullptr when none is open.
    inventory::StartupRecord* OpenRecord();

    Main& main_;
    std::optional<int> openRecord_;
    // The approval shown comes from a publisher rule, not from the record's own decision: "Ok"
    // with it still chosen stores nothing, so that the approval stays bound to the signature.
    bool approvedByPublisher_ = false;
};

} // namespace vtrl::manager
