// vantorelc's entry: the real platform, the tool, then the bytes to the standard handles.

#include "cli/vantorelc_command.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Binary mode: the text is UTF-8 with CR LF already, and a pipe must get exactly those bytes.
void WriteAll(std::FILE* stream, const std::string& bytes) {
    if (bytes.empty()) {
        return;
    }
    _setmode(_fileno(stream), _O_BINARY);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    vtrl::win32::ComApartment com;
    vtrl::win32::Win32Platform platform;
    const std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const vtrl::cli::CliResult result = vtrl::cli::RunVantorelc(platform.Get(), arguments);
    WriteAll(stdout, result.standardOutput);
    WriteAll(stderr, result.standardError);
    return result.exitCode;
}
