#pragma once
// Forms without windows: a host that records what the form asked of it, and a window system
// that keeps every loaded form for the test to drive.

#include "platform/ui/window_system.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vtrl::fakes {

class FakeFormHost final : public ui::FormHost {
public:
    void ShowCaption(const std::wstring& caption) override { captions.push_back(caption); }
    void ShowPosition(int leftTwips, int topTwips) override {
        positions.push_back({leftTwips, topTwips});
    }
    void ShowVisible(bool isVisible) override { visible = isVisible; }
    void MakeTopmost() override { topmost = true; }
    void TimerChanged(ui::Timer&) override {}
    void AttachControl(ui::Control&) override {}
    void DetachControl(ui::Control&) override {}
    void ShowBackground(ui::Colour colour) override { background = colour; }
    void Close() override { closed = true; }
    // Headless forms have no loop to come back to: the work and its end run at once, unless the
    // test holds them back to run them later (RunHeldAside), as a slow worker thread would.
    void RunAside(std::function<void()> work, std::function<void()> done) override {
        ++asideRuns;
        if (holdAside) {
            heldAside.push_back({std::move(work), std::move(done)});
            return;
        }
        work();
        done();
    }
    void RunHeldAside() {
        auto held = std::move(heldAside);
        heldAside.clear();
        for (auto& [work, done] : held) {
            work();
            done();
        }
    }
    void Pause(int milliseconds) override { pausedMs += milliseconds; }
    void BeginDrag() override { ++drags; }
    ui::ScreenMetrics Screen() override { return screen; }
    bool AddTrayIcon(const std::wstring& tip) override {
        trayTips.push_back(tip);
        trayIcon = addTrayIconSucceeds;
        return trayIcon;
    }
    void RemoveTrayIcon() override {
        ++trayRemovals;
        trayIcon = false;
    }

    struct Position {
        int left;
        int top;
        friend bool operator==(const Position&, const Position&) = default;
    };
    std::vector<std::wstring> captions;
    std::vector<Position> positions;
    bool visible = false;
    bool topmost = false;
    ui::Colour background = ui::kDefaultColour;
    bool closed = false;
    int asideRuns = 0;
    bool holdAside = false;
    std::vector<std::pair<std::function<void()>, std::function<void()>>> heldAside;
    int pausedMs = 0;
    int drags = 0;
    ui::ScreenMetrics screen{1920 * 15, 1080 * 15, 15};
    std::vector<std::wstring> trayTips;
    bool trayIcon = false;
    bool addTrayIconSucceeds = true;
    int trayRemovals = 0;
};

class FakeWindowSystem final : public ui::WindowSystem {
public:
    ui::Form& Load(std::unique_ptr<ui::Form> form) override {
        auto host = std::make_unique<FakeFormHost>();
        host->holdAside = holdAsideWork;
        // As with real windows, the work aside starts before the form has its host.
        form->Form_Initialize(*host);
        form->AttachHost(host.get());
        ui::Form& loaded = *form;
        hosts.push_back(std::move(host));
        forms.push_back(std::move(form));
        loaded.Form_Load();
        return loaded;
    }
    void RunMessageLoop() override { ++messageLoops; }
    // Answers each open-file dialog from the queue (a path, or nullopt for a cancel); with none
    // queued the user cancels.
    std::optional<std::wstring> ChooseOpenFile(const ui::Form* owner,
                                               const ui::OpenFileRequest& request) override {
        fileDialogs.push_back({owner, request});
        if (fileAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    // The forms still open, that is loaded and not unloaded.
    std::vector<ui::Form*> OpenForms() const {
        std::vector<ui::Form*> open;
        for (const auto& form : forms) {
            if (!form->Unloaded()) {
                open.push_back(form.get());
            }
        }
        return open;
    }
    template <typename FormType> FormType* Find() const {
        for (const auto& form : forms) {
            if (auto* found = dynamic_cast<FormType*>(form.get())) {
                return found;
            }
        }
        return nullptr;
    }

    // Forms stay here after they unload, so a test can still look at them.
    std::vector<std::unique_ptr<FakeFormHost>> hosts;
    std::vector<std::unique_ptr<ui::Form>> forms;
    int messageLoops = 0;
    // New forms' hosts hold their work aside back until the test runs it.
    bool holdAsideWork = false;
    struct FileDialog {
        const ui::Form* owner = nullptr;
        ui::OpenFileRequest request;
    };
    std::vector<FileDialog> fileDialogs;
    std::deque<std::optional<std::wstring>> fileAnswers;
};

} // namespace vtrl::fakes
