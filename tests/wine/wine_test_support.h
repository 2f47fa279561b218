// Small pieces the Windows-side tests share: the repository's own files as Wine sees them, whole
// files read back, and a loopback HTTP server run by the test itself.
#pragma once

#include "platform/win32/unique_handle.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vtrl::testing_support {

// The repository's Languages folder through drive Z:, which Wine maps to "/".
inline std::wstring ShippedLanguagesFolder() {
    std::wstring folder = L"Z:";
    const std::string source = __FILE__; // <root>/tests/wine/wine_test_support.h
    folder.append(source.begin(), source.end());
    for (wchar_t& character : folder) {
        if (character == L'/') {
            character = L'\\';
        }
    }
    for (int level = 0; level < 3; ++level) {
        folder.resize(folder.find_last_of(L'\\'));
    }
    return folder + L"\\Languages";
}

inline std::string ReadFileBytes(const std::wstring& path) {
    win32::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

// A test's own folders under the temporary folder: base, and its "data" and "Startup" folders,
// which stand in for the data folder and the user's Startup folder.
struct ScratchFolders {
    std::wstring base, data, startup;
};
// Creates them under base; true when all three exist afterwards.
inline bool CreateScratchFolders(const std::wstring& base, ScratchFolders& folders) {
    folders = {base, base + L"\\data", base + L"\\Startup"};
    for (const auto& folder : {folders.base, folders.data, folders.startup}) {
        CreateDirectoryW(folder.c_str(), nullptr);
        if ((GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return false;
        }
    }
    return true;
}

// Deletes the folder and everything below it, read-only files too.
inline void RemoveFolderTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            const std::wstring path = folder + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveFolderTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// Serves HTTP/1.0 on a free loopback port until destroyed. Every request (its head, up to the
// blank line) is kept, and `answer` gives the body of its reply; both run under one lock, which
// `Change` also takes for a test that alters what `answer` reads.
class LoopbackHttpServer {
public:
    using Answer = std::function<std::string(const std::string& request)>;

    explicit LoopbackHttpServer(Answer answer) : answer_(std::move(answer)) {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (listener_ == INVALID_SOCKET ||
            bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(listener_, 4) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackHttpServer() {
        if (listener_ != INVALID_SOCKET) {
            closesocket(listener_); // wakes the blocked accept
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        if (started_) {
            WSACleanup();
        }
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return port_; }
    std::wstring Url(const std::wstring& path) const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/" + path;
    }
    std::vector<std::string> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    template <typename Step> void Change(Step step) {
        std::lock_guard lock(mutex_);
        step();
    }

private:
    void Serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) {
                return;
            }
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(client, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, got);
            }
            std::string body;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
                body = answer_(request);
            }
            const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n"
                                      "Content-Length: " +
                                      std::to_string(body.size()) +
                                      "\r\nConnection: close\r\n\r\n" + body;
            for (std::size_t sent = 0; sent < reply.size();) {
                const int wrote =
                    send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
                if (wrote <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(wrote);
            }
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    Answer answer_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace vtrl::testing_support
