#pragma once
// The database page: the white list (approved) or the black list (restricted) of the decision
// database, with taking one entry off its list and wiping the whole database.

#include "decisions/decision_database.h"
#include "platform/ui/control.h"

#include <string>
#include <vector>

namespace vtrl::manager {

class Main;

// The entries of one list, in table order: status "1" for the white list, "2" for the black.
std::vector<decisions::DecisionEntry> ListedEntries(const decisions::Decisions& decisions,
                                                    bool whiteList);

class DatabasePage {
public:
    explicit DatabasePage(Main& main) : main_(main) {}

    ui::Control Deza3{ui::ControlKind::Label, L"Deza(3)", {120, 120, 8400, 375}, L"My Database"};
    ui::Control Option7{ui::ControlKind::OptionButton,
                        L"Option7",
                        {360, 720, 8160, 300},
                        L"Show approved (white list)"};
    ui::Control Option8{ui::ControlKind::OptionButton,
                        L"Option8",
                        {360, 1050, 8160, 300},
                        L"Show restricted (black list)"};
    // The white list's publisher rules, one signer name per line of List3.
    ui::Control OptionPublishers{ui::ControlKind::OptionButton,
                                 L"OptionPublishers",
                                 {360, 1380, 8160, 300},
                                 L"Show approved publishers"};
    ui::Control List3{ui::ControlKind::ListBox, L"List3", {360, 1800, 5280, 2520}};
    ui::Control Command13{
        ui::ControlKind::Button, L"Command13", {5880, 1800, 2640, 420}, L"remove from list"};
    ui::Control Command12{
        ui::ControlKind::Button, L"Command12", {5880, 2340, 2640, 420}, L"clear all"};
    ui::Control Command11{
        ui::ControlKind::Button, L"Command11", {120, 4560, 1815, 420}, L"Command11"};

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    // Reloads the decision file and lists the entries of the chosen list.
    void FillDatabaseLists();
    // The decision entries List3 lists, line for line; empty while it lists publishers.
    const std::vector<decisions::DecisionEntry>& ShownEntries() const { return shownEntries_; }
    void Command13_Click();
    void Command12_Click();
    void Command11_Click();

private:
    bool Confirmed();
    // Takes the publisher rule of List3's line off the white list, after the question.
    void RemoveSelectedPublisher(std::size_t line);

    Main& main_;
    std::vector<decisions::DecisionEntry> shownEntries_;
};

} // namespace vtrl::manager
