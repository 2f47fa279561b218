#pragma once
// In-memory ".ini" reading, message boxes, the shell launcher and HTTP.

#include "fakes/fake_system.h"
#include "platform/http.h"
#include "platform/ini_file.h"
#include "platform/launcher.h"
#include "platform/message_box.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vtrl::fakes {

// Reads the ".ini" files held by the fake file system (bytes taken as Latin-1) with the
// profile-string rules: sections and keys without regard to case, the first match wins, blanks
// around keys and values dropped, matching quotes around a value removed. A
// comment line is a key like any other: nobody asks for it.
class FakeIniFiles final : public platform::IniFiles {
public:
    explicit FakeIniFiles(FakeFileSystem& files) : files_(files) {}
    std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& file, std::size_t bufferLength) override;

    struct Read {
        std::wstring section;
        std::wstring key;
        std::wstring file;
        std::size_t bufferLength = 0;
    };
    std::vector<Read> reads;

private:
    FakeFileSystem& files_;
};

// Records every box and answers from a queue of answers; with none queued, the first button.
class FakeMessageBoxes final : public platform::MessageBoxes {
public:
    platform::MessageAnswer Show(const std::wstring& text, const std::wstring& caption,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override;

    struct Shown {
        std::wstring text;
        std::wstring caption;
        platform::MessageIcon icon = platform::MessageIcon::None;
        platform::MessageButtons buttons = platform::MessageButtons::Ok;
    };
    std::vector<Shown> shown;
    std::deque<platform::MessageAnswer> answers;
};

class FakeLauncher final : public platform::Launcher {
public:
    bool ShellOpen(const std::wstring& target) override;
    bool StartProgram(const std::wstring& commandLine) override;
    bool StartProgramHidden(const std::wstring& commandLine) override;
    std::wstring WebBrowserCommand() override { return browserCommand; }
    // By the extension (".vbs"), compared without regard to case.
    std::optional<std::wstring> AssociatedProgram(const std::wstring& path) override;
    bool ShowFileProperties(const std::wstring& path) override {
        propertiesShown.push_back(path);
        return true;
    }

    std::vector<std::wstring> opened;          // every ShellOpen target, failed ones included
    std::vector<std::wstring> started;         // every StartProgram command line that started
    std::vector<std::wstring> startedHidden;   // the same for StartProgramHidden
    std::vector<std::wstring> propertiesShown; // every ShowFileProperties path
    bool shellOpenSucceeds = true;
    bool startSucceeds = true;
    std::wstring browserCommand = L"\"C:\\Program Files\\Browser\\browser.exe\" \"%1\"";
    std::map<std::wstring, std::wstring> associations; // lower-case extension -> program
};

// Answers each URL with its configured body bytes (empty for unknown URLs) and records requests.
class FakeHttp final : public platform::Http {
public:
    std::optional<std::string> Get(const std::wstring& url) override;
    std::map<std::wstring, std::string> bodies;
    std::vector<std::wstring> requests;
};

} // namespace vtrl::fakes
