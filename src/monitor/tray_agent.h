#pragma once
// The background monitor started at logon with "startup": by the "Settings"/"SMode" setting it
// runs one check pass and ends ("Every"), one pass a day ("Once"), or stays resident with a tray
// icon and a pass every 30 seconds until the icon is clicked. The resident agent also watches the
// startup locations it scans and runs a pass as soon as one of them changes. Its window is never
// seen; other processes find it by its caption to close it.

#include "decisions/decision_database.h"
#include "inventory/startup_place.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"
#include "platform/ui/form.h"
#include "services/command_words.h"
#include "services/localisation.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::monitor {

inline constexpr long long kOnceIntervalSeconds = 86400;
inline constexpr int kParkTimerMs = 2000;
inline constexpr int kCheckTimerMs = 30000;
// A change to a startup location starts a pass this long after it, so that a program writing
// several values at once causes one pass.
inline constexpr int kSettleTimerMs = 500;
// The tray icon's callback reports this mouse message for a released left button.
inline constexpr unsigned kLeftButtonUp = 0x0202;

class TrayAgent : public ui::Form {
public:
    TrayAgent(platform::Platform& platform, const services::SystemFacts& facts,
              const services::Language& language, std::optional<services::StartMode> startMode);

    ui::Timer Timer1{L"Timer1", kParkTimerMs, true};
    ui::Timer MagicSubTimer{L"MagicSubTimer", kCheckTimerMs, false};
    ui::Timer SettleTimer{L"SettleTimer", kSettleTimerMs, false};

    void Form_Load() override;
    void Form_QueryUnload() override;
    void Form_TrayMessage(unsigned mouseMessage) override;
    void Timer1_Timer();
    void MagicSubTimer_Timer();
    void SettleTimer_Timer();
    // A watched startup location changed.
    void StartupLocationChanged();
    // Starts watching every startup location not watched yet; a missing key is watched through
    // its nearest existing parent, so that its creation starts a pass, and is tried again after
    // every pass.
    void WatchStartupLocations();
    // Startup locations being watched now.
    int WatchedLocations() const;
    // Reads the two Startup folders again where Windows really looks (a redirection under "User
    // Shell Folders" moves them while the agent runs); a folder that moved is watched and scanned
    // from then on instead of the old one.
    void FollowStartupFolders();

    // Passes run by this agent so far.
    int PassCount() const { return passes_; }

protected:
    // One check pass over the startup locations; without any startup record the agent warns
    // and ends.
    virtual void RunPass();
    // Appends this pass to the trace file named by "Data"/"AgentTrace", when there is one.
    void TracePass();

    platform::Platform& platform_;
    // The agent's own copy: its Startup folders follow a redirection.
    services::SystemFacts facts_;
    const services::Language& language_;

private:
    struct WatchedLocation {
        std::wstring path; // a key with its hive, or a folder
        inventory::WatchScope scope = inventory::WatchScope::KeyValues;
        bool armed = false;
        // A key that does not exist yet is watched through its nearest existing parent.
        bool parentArmed = false;
    };

    // nullopt: a stored mode the agent does not know; it then does nothing until closed.
    std::optional<services::StartMode> startMode_;
    std::vector<WatchedLocation> locations_;
    bool passRunning_ = false;
    const char* passCause_ = "start"; // what asked for the next pass, for the trace
    bool passPending_ = false;
    inventory::StartupInventory inventory_;
    decisions::Decisions decisions_;
    int passes_ = 0;
};

} // namespace vtrl::monitor
