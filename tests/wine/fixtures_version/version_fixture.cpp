// A program that carries (or lacks) a version resource. With the argument "wait" it stays
// running for up to a minute so that tests can find it in the process list; the test that
// starts it ends it.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"wait") == 0) {
        Sleep(60'000);
    }
    return 0;
}
