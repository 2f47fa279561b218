#pragma once
// The manager window: six pages stacked in one place, the scrolling startup list on the first,
// and the pages for one record, the undo log, the white and black lists, a new startup record
// and the settings. It scans once when it opens; the flows that change the startup records start
// a fresh window so that it shows a fresh list.

#include "decisions/decision_database.h"
#include "decisions/publisher_rules.h"
#include "inventory/file_facts_reader.h"
#include "inventory/inventory_scan.h"
#include "inventory/signature_status.h"
#include "inventory/startup_record.h"
#include "manager/create_page.h"
#include "manager/database_page.h"
#include "manager/interface_texts.h"
#include "manager/link_colour.h"
#include "manager/list_order.h"
#include "manager/record_page.h"
#include "manager/settings_page.h"
#include "manager/undo_page.h"
#include "platform/platform.h"
#include "platform/ui/form.h"
#include "platform/ui/window_system.h"
#include "services/icon_stamps.h"
#include "services/localisation.h"
#include "services/system_facts.h"

#include <cstdint>
#include <exception>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vtrl::manager {

inline constexpr int kListPage = 0;
inline constexpr int kSettingsPage = 1;
inline constexpr int kRecordPage = 2;
inline constexpr int kUndoPage = 3;
inline constexpr int kDatabasePage = 4;
inline constexpr int kCreatePage = 5;
inline constexpr int kPageCount = 6;
// The list shows this many rows before it scrolls.
inline constexpr int kRowsInView = 6;
// Rows lie this far apart beyond the height of their icon.
inline constexpr int kRowGapTwips = 300;
// The keyboard's selected row: white on the header's colour.
inline constexpr ui::Colour kSelectedRowBackground = 0x00704A1F;
// The grey of the list's secondary texts.
inline constexpr ui::Colour kStatusGreyText = 0x00808080;

// What one record's row says; the rows in view show it, so that only they are windows.
struct ListRow {
    std::wstring name;   // the program's description, else its file name in upper case
    std::wstring status; // the decision, see list_row_text.h
    std::wstring signer;
    std::wstring place;      // the publisher and the kind of place it starts from, in words
    std::wstring placeWords; // the kind of place alone
    std::wstring marks;      // running, hijack risk: short words
    std::wstring command;    // the full command line, shown as the name's tooltip
    std::vector<std::uint8_t> icon;
    bool iconRead = false; // the bitmap file was looked for
};

// The scroll bar's maximum for a number of records: 0 (no scroll bar) below seven.
int ScrollMaximum(int recordCount);
// The setting that leaves Windows' own programs out of the list.
bool HideWindowsSetting(platform::Registry& registry);
// The record a "preopen" name opens: the last record whose executable name equals it without
// regard to case, else record 0.
int PreselectIndexFor(platform::Locale& locale, const inventory::StartupInventory& inventory,
                      const std::wstring& preopenExe);

class Main : public ui::Form {
public:
    Main(platform::Platform& platform, ui::WindowSystem& windows,
         const services::SystemFacts& facts, const services::Language& language,
         std::wstring preopenExe);

    // The header band of our own design.
    ui::Control Header{ui::ControlKind::Frame, L"Header", {0, 0, 9060, 1320}};
    ui::Control HeaderIcon{ui::ControlKind::Picture, L"HeaderIcon", {360, 420, 480, 480}};
    ui::Control HeaderTitle{
        ui::ControlKind::Label, L"HeaderTitle", {1080, 390, 5400, 540}, L"Vantorel"};

    // The list page.
    ui::Control Deza0{
        ui::ControlKind::Label, L"Deza(0)", {120, 120, 2880, 375}, L"Programs on Startup"};
    ui::Control Deza1{ui::ControlKind::Label,
                      L"Deza(1)",
                      {120, 600, 2880, 1695},
                      L"Here is a list of programs that start automatically when you start "
                      L"Windows. Click any item for more information and options."};
    // Above the list: the search box, which filters as the user types, and the sort links.
    ui::Control LabelSearch{
        ui::ControlKind::Label, L"LabelSearch", {3120, 150, 840, 255}, L"Search:"};
    ui::Control TextSearch{ui::ControlKind::TextBox, L"TextSearch", {3960, 90, 1320, 315}};
    ui::Control LabelSort{ui::ControlKind::Label, L"LabelSort", {5400, 150, 840, 255}, L"Sort by:"};
    ui::Control SortName{ui::ControlKind::Label, L"SortName", {6240, 150, 600, 255}, L"Name"};
    ui::Control SortPublisher{
        ui::ControlKind::Label, L"SortPublisher", {6840, 150, 1080, 255}, L"Publisher"};
    ui::Control SortStatus{ui::ControlKind::Label, L"SortStatus", {7920, 150, 855, 255}, L"Status"};
    ui::Control Picture1{ui::ControlKind::Picture, L"Picture1", {3120, 540, 5655, 4575}};
    ui::Control VScroll{ui::ControlKind::VScrollBar, L"VScroll", {5400, 0, 255, 4575}};
    ui::Control Frame1{ui::ControlKind::Frame, L"Frame1", {0, 120, 5400, 780}};
    // Said in the list's place when the search matches no record.
    ui::Control ListEmpty{ui::ControlKind::Label,
                          L"ListEmpty",
                          {240, 240, 4920, 495},
                          L"No startup record matches the search."};
    ui::Control Label22{
        ui::ControlKind::Label, L"Label22", {480, 2400, 2520, 255}, L"UNDO deleted"};
    ui::Control Label21{
        ui::ControlKind::Label, L"Label21", {480, 2820, 2520, 255}, L"My white/black lists"};
    ui::Control Label20{
        ui::ControlKind::Label, L"Label20", {480, 3240, 2520, 255}, L"Program settings"};
    ui::Control Label23{
        ui::ControlKind::Label, L"Label23", {480, 3660, 2520, 255}, L"Create startup record"};
    // Keeps Windows' own entries out of the list; the same setting as the settings page's box.
    ui::Control CheckHideWindows{ui::ControlKind::CheckBox,
                                 L"CheckHideWindows",
                                 {240, 4080, 2760, 435},
                                 L"Hide Windows' own entries"};
    ui::Control Command6{
        ui::ControlKind::Button, L"Command6", {120, 4560, 2415, 420}, L"Apply and Close"};

    // The i-th row in view (0 to kRowsInView - 1): icon, the program's name (its command line as
    // tooltip), decision status; under the name its publisher and where it starts from, and who
    // signed it; under the status the markers. Only these rows are windows: scrolling shows
    // other records in them.
    ui::Control& BAimg(int slot) { return *rowImages_[static_cast<std::size_t>(slot)]; }
    ui::Control& BAexe(int slot) { return *rowNames_[static_cast<std::size_t>(slot)]; }
    ui::Control& BAinfo(int slot) { return *rowStatuses_[static_cast<std::size_t>(slot)]; }
    ui::Control& BAplace(int slot) { return *rowPlaces_[static_cast<std::size_t>(slot)]; }
    ui::Control& BAsign(int slot) { return *rowSigners_[static_cast<std::size_t>(slot)]; }
    ui::Control& BAmark(int slot) { return *rowMarks_[static_cast<std::size_t>(slot)]; }
    // The record the i-th row in view shows, if any.
    std::optional<int> RecordInView(int slot) const;
    // One row per record.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const ListRow& Row(int record) const { return rows_[static_cast<std::size_t>(record)]; }
    // Draws the icons of programs that are new or changed since their bitmap was saved, a few
    // at a time once the window is drawn; the rows show each as it comes.
    ui::Timer IconRefresh{L"IconRefresh", 1, false};
    void IconRefresh_Tick();
    // Reads the programs' version strings and size, which the scan before the first paint
    // leaves out (main_window_facts.cpp): the rows in view before the paint, the others a few
    // at a time after it; the rows, the search and the sort take each as it comes.
    ui::Timer FactsRefresh{L"FactsRefresh", 1, false};
    void FactsRefresh_Tick();
    // Whether a record's file facts are in (they always are once FactsRefresh has stopped).
    bool FileFactsRead(int record) const;
    // Reads them now when they are not in yet: before a page shows the record.
    void EnsureFileFacts(int record);
    ui::Control& MonsterWindow(int page) { return *pages_[static_cast<std::size_t>(page)]; }

    SettingsPage settingsPage{*this};
    RecordPage recordPage{*this};
    UndoPage undoPage{*this};
    DatabasePage databasePage{*this};
    CreatePage createPage{*this};

    int PreselectIndex = 0;

    void Form_Initialize(ui::AsideWork& aside) override;
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Form_MouseDown() override;
    // Enter opens the record selected in the list or presses the page's default button; Escape
    // goes back to the list, from the search box with a text empties it, and from the list closes
    // the window.
    void Form_Enter() override;
    void Form_Escape() override;
    // The wheel scrolls the list as its scroll bar does; the selection stays where it is.
    void Form_MouseWheel(int notches, int rowsPerNotch) override;
    // The record the list's keyboard selection is on.
    std::optional<int> SelectedRow() const { return selectedRow_; }
    void ShowPage(int page);
    // A page's texts, read once, before it is first filled or shown.
    void LoadPageTexts(int page);
    void RefreshRecordStatuses();
    // Opens the record page of a record (by its index in the inventory).
    void BAexe_Click(int index);
    void BAimg_Click(int index) { BAexe_Click(index); }
    void VScroll_Change();
    void Label22_Click();
    void Label21_Click();
    void Label20_Click();
    void Label23_Click();
    void Command6_Click();
    void CheckHideWindows_Click();
    // The search box's text changed: the list shows the matching records from the top.
    void TextSearch_Change();
    // A sort link: sorts by its key, or back to the order found when it is the key already.
    void SortBy(ListSort sort);
    ListSort Sort() const { return sort_; }
    // The records the list shows, in the order shown.
    const std::vector<int>& ShownRecords() const { return shownRecords_; }
    // Places the rows that are shown one below the other, Windows' own left out when the box is
    // checked, and sizes the scroll bar to them.
    void LayOutRows();

    // What the pages share.
    platform::Platform& Platform() { return platform_; }
    ui::WindowSystem& Windows() { return windows_; }
    const services::SystemFacts& Facts() const { return facts_; }
    const services::Language& Language() const { return language_; }
    // GetText of section "INTERFACE", each key read once per language (interface_texts.h).
    std::wstring Text(const std::wstring& key);
    // The words for "Verified:", "Not verified" and "Not signed" in the interface language.
    inventory::SignatureWords SignatureWords();
    inventory::StartupInventory& Inventory() { return inventory_; }
    decisions::Decisions& Decisions() { return decisions_; }
    decisions::PublisherRules& Publishers() { return publishers_; }
    // The decision file and the publisher rules, as they are now.
    void LoadDecisionsAndRules();
    const std::wstring& PreopenExe() const { return preopenExe_; }
    // Adds a page's control to the window, inside the given page.
    void AddToPage(ui::Control& control, int page);
    // Gives a label the character set of the interface language.
    void UseLanguageCharset(ui::Control& label);
    // Starts a fresh manager window in a new process and ends this one.
    void Restart();
    // The page shown now.
    int CurrentPage() const { return currentPage_; }

private:
    // Fills the list and shows the window once the scan and the list page are both ready.
    void FinishLoad();
    // The rows (main_window_rows.cpp): one typed row per record, and the controls of the rows
    // in view, which show no record until the list is laid out.
    void BuildRows();
    void MakeRowControls();
    void ShowRowsInView();
    void ReadRowIcon(ListRow& row, const inventory::StartupRecord& record);
    // Draws the record's icon again when its program changed; true when it drew.
    bool RefreshIcon(int record);
    // Keeps the stamps of the icons drawn so far for the next window.
    void SaveIconStamps();
    // The file facts (main_window_facts.cpp): reads one record's and updates its row; true when
    // it read them.
    bool ReadFileFacts(int record);
    void ReadFactsInView();
    // Beside the window's making, once the scan found records: the file facts of the rows the
    // list opens with (in the scan's order, without a search), so that the first paint need not
    // wait for them. FinishLoad takes them in (TakeFactsReadAside).
    void ReadFirstFactsAside();
    void TakeFactsReadAside();
    // Whether the list shows the record when no search narrows it.
    bool ListsRecord(int record, bool hideWindowsOwn) const;
    // Reads every record's facts not in yet and stops the refresh.
    void FinishFileFacts();
    // A record's status text from its decision, unless known since the decisions were last
    // read; true when it was worked out now.
    bool EnsureStatus(int record);
    // Every record's status: before a search or a sort, and at the first tick after the paint.
    void FinishStatuses();
    // The keyboard (main_window_keys.cpp).
    void WireKeyboard();
    bool ListKey(ui::Key key);
    void SelectRow(int index);
    void ShowSelection();
    std::vector<int> ShownRows() const;
    // The search and sort (main_window_search.cpp).
    void BuildSearch();
    void LoadSearchTexts();
    void FillListOrder();
    // Orders the candidate records by the search and sort; from the top when asked, else
    // keeping the scroll position as far as the list allows.
    void ApplyListOrder(bool fromTop);
    // The controls of a page that are shown, in the order they were made.
    std::vector<ui::Control*> ShownInPage(int page) const;
    // Gives the page's controls their access keys and the focus to its first control.
    void FocusPage(int page);
    ui::Control* DefaultButton(int page);

    platform::Platform& platform_;
    ui::WindowSystem& windows_;
    const services::SystemFacts& facts_;
    const services::Language& language_;
    InterfaceTexts texts_{platform_, language_};
    std::wstring preopenExe_;
    inventory::StartupInventory inventory_;
    // The window's scan, which runs beside its set-up (Form_Load).
    inventory::ScanOutcome scanOutcome_ = inventory::ScanOutcome::NoRecords;
    std::exception_ptr scanFailure_;
    bool scanDone_ = false;
    bool pageReady_ = false;
    bool loadFinished_ = false;
    decisions::Decisions decisions_;
    decisions::PublisherRules publishers_;
    std::vector<std::unique_ptr<ui::Control>> pages_;
    std::vector<ListRow> rows_;
    // The records the list may show, in scan order (Windows' own left out when asked), and those
    // it shows after the search, in the order shown.
    std::vector<int> candidateRecords_;
    std::vector<int> shownRecords_;
    ListOrder listOrder_{
        [this](const std::wstring& text) { return platform_.locale.ToLower(text); }};
    ListSort sort_ = ListSort::Scan;
    std::vector<ui::Control*> rowImages_;
    std::vector<ui::Control*> rowNames_;
    std::vector<ui::Control*> rowStatuses_;
    std::vector<ui::Control*> rowPlaces_;
    std::vector<ui::Control*> rowSigners_;
    std::vector<ui::Control*> rowMarks_;
    // The icon refresh: the next record to look at, the names drawn or found current in this
    // window, and the stamps they were drawn from.
    int iconCursor_ = 0;
    // The file facts read so far, by record, and the next record to look at.
    std::vector<bool> factsRead_;
    std::vector<int> factsReadAside_;
    // Used by the worker until the scan's end is handed over, then by the window's thread.
    inventory::FileFactsReader factsReader_;
    // The rows whose status text is worked out since the decisions were last read.
    std::vector<bool> statusKnown_;
    int factsCursor_ = 0;
    std::set<std::wstring> iconsDone_;
    std::optional<services::IconStamps> iconStamps_;
    bool iconStampsChanged_ = false;
    std::vector<std::unique_ptr<ui::Control>> linkMarks_;
    int currentPage_ = kListPage;
    std::array<bool, kPageCount> pageTextsRead_{};
    std::optional<int> selectedRow_;
    // The row drawn as selected: only while the list has the focus and the keyboard was used.
    std::optional<int> highlightedRow_;
    bool selectionCue_ = false;
    bool focusingByCode_ = false;
};

} // namespace vtrl::manager
