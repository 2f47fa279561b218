// The user's environment through the real API: variables expanded as Windows expands a command,
// names without regard to case, undefined ones left as written, and values longer than the
// first guess at the buffer.

#include "platform/win32/win32_environment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace vtrl {
namespace {

class EnvironmentWineTest : public ::testing::Test {
protected:
    ~EnvironmentWineTest() override {
        SetEnvironmentVariableW(L"VTRL_TEST_LONG", nullptr);
        SetEnvironmentVariableW(L"VTRL_TEST_EMPTY", nullptr);
    }
    win32::Win32Environment environment;
};

TEST_F(EnvironmentWineTest, ExpandsAsWindowsDoes) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(environment.Expand(L"%SystemRoot%\\system32\\x.exe /a"),
              std::wstring(windows) + L"\\system32\\x.exe /a");
    EXPECT_EQ(environment.Expand(L"%sYsTeMrOoT%"), windows);
    // An undefined name stays, and its closing sign may open the next name.
    EXPECT_EQ(environment.Expand(L"%VTRL_NOT_SET%\\%SystemRoot%"),
              L"%VTRL_NOT_SET%\\" + std::wstring(windows));
    EXPECT_EQ(environment.Expand(L"100% sure"), L"100% sure");

    const std::wstring longValue(5000, L'v');
    ASSERT_TRUE(SetEnvironmentVariableW(L"VTRL_TEST_LONG", longValue.c_str()));
    EXPECT_EQ(environment.Expand(L"<%VTRL_TEST_LONG%>"), L"<" + longValue + L">");
    EXPECT_EQ(environment.Variable(L"vtrl_test_long"), longValue);
    // Longer than the system expands in one call: nothing is cut off.
    const std::wstring tail(40000, L'a');
    EXPECT_EQ(environment.Expand(L"%SystemRoot% " + tail + L" %VTRL_NOT_SET%"),
              std::wstring(windows) + L" " + tail + L" %VTRL_NOT_SET%");
    EXPECT_EQ(environment.Expand(L"x " + tail), L"x " + tail);
    EXPECT_EQ(environment.Variable(L"VTRL_NOT_SET"), std::nullopt);
    ASSERT_TRUE(SetEnvironmentVariableW(L"VTRL_TEST_EMPTY", L""));
    EXPECT_EQ(environment.Variable(L"VTRL_TEST_EMPTY"), std::wstring());
    // The search reads PATH (PATHEXT may be unset, as it is here: the search then uses
    // Windows' own list).
    EXPECT_TRUE(environment.Variable(L"PATH").has_value());
}

} // namespace
} // namespace vtrl
