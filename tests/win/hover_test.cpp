// The launcher's own leave tracking and the hover procedure, called directly
// on real windows: which requests TrackMouseEvent refuses and with which
// debugger text (OutputDebugStringA counted at this program's import), the
// timer it starts, and what a tick with the pointer elsewhere does.
#include <string>
#include <vector>

#include "startup/setup_state.h"
#include "ui/hover.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;
namespace tracking = setupmenu::tracking;

namespace {

using OutputDebugStringFunction = void(WINAPI*)(LPCSTR);
OutputDebugStringFunction g_outputDebugString = nullptr;
std::vector<std::string> g_debugTexts;

void WINAPI RecordingOutputDebugString(LPCSTR text) {
    g_debugTexts.push_back(text);
    g_outputDebugString(text);
}

bool HookDebugOutput() {
    if (!g_outputDebugString) {
        g_outputDebugString = reinterpret_cast<OutputDebugStringFunction>(PatchImport(
            "kernel32.dll", "OutputDebugStringA", reinterpret_cast<void*>(&RecordingOutputDebugString)));
    }
    g_debugTexts.clear();
    return g_outputDebugString != nullptr;
}

// A plain static control on a top-level window far from the pointer.
struct ControlPair {
    HWND frame = nullptr;
    HWND normal = nullptr;
    HWND selected = nullptr;
    ControlPair() {
        frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 600, 500, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
        normal = CreateWindowExA(0, "STATIC", "normal", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 60, 20, frame,
                                 nullptr, nullptr, nullptr);
        selected = CreateWindowExA(0, "STATIC", "selected", WS_CHILD, 10, 10, 60, 20, frame, nullptr, nullptr,
                                   nullptr);
        SetCursorPos(5, 5);  // well outside the frame
    }
    ~ControlPair() { DestroyWindow(frame); }
};

constexpr const char* kStart = "TrackMouseEvent\n";
constexpr const char* kBadStructure = "TrackMouseEvent: invalid TRACKMOUSEEVENT structure\n";
constexpr const char* kBadWindow = "TrackMouseEvent: invalid hwndTrack\n";
constexpr const char* kBadFlags = "TrackMouseEvent: invalid dwFlags\n";

struct RequestRow {
    const char* name;
    bool nullRequest;
    DWORD cbSize;
    bool realWindow;
    DWORD dwFlags;
    bool accepted;
    std::vector<std::string> texts;
};

}  // namespace

TEST(RequestsAreCheckedInOrderWithOneTextForTheFirstFailure) {
    REQUIRE(HookDebugOutput());
    ControlPair pair;
    const RequestRow rows[] = {
        {"no record", true, 12, true, 1, false, {kStart, kBadStructure}},
        {"cbSize 11", false, 11, true, 1, false, {kStart, kBadStructure}},
        {"cbSize 0", false, 0, true, 1, false, {kStart, kBadStructure}},
        {"cbSize 11, no window, flags 2: only the first failure", false, 11, false, 2, false, {kStart, kBadStructure}},
        {"no window", false, 12, false, 1, false, {kStart, kBadWindow}},
        {"no window and flags 2", false, 12, false, 2, false, {kStart, kBadWindow}},
        {"flags 2 (the platform's TME_LEAVE)", false, 12, true, 2, false, {kStart, kBadFlags}},
        {"flags 0", false, 12, true, 0, false, {kStart, kBadFlags}},
        {"cbSize 12, flags 1", false, 12, true, 1, true, {kStart}},
        {"cbSize 13, flags 3", false, 13, true, 3, true, {kStart}},
        {"cbSize 0xFFFFFFFF", false, 0xFFFFFFFFu, true, 1, true, {kStart}},
    };
    mini_test::ForEachRow(rows, [&](const RequestRow& row) {
        g_debugTexts.clear();
        // A handle that names no window: one that existed and was destroyed.
        HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(gone);
        tracking::TRACKMOUSEEVENT request = {row.cbSize, row.dwFlags, row.realWindow ? pair.normal : gone};
        const UINT_PTR result = tracking::TrackMouseEvent(row.nullRequest ? nullptr : &request);
        CHECK_EQ(result != 0, row.accepted);
        CHECK_EQ(g_debugTexts.size(), row.texts.size());
        for (size_t i = 0; i < row.texts.size() && i < g_debugTexts.size(); ++i) {
            CHECK_EQ(g_debugTexts[i].c_str(), row.texts[i].c_str());
        }
        // An accepted request left a timer on the control, its id the flags.
        if (row.accepted) CHECK(KillTimer(pair.normal, row.dwFlags));
    });
}

TEST(MouseMoveStartsOneHoverAndATickElsewhereEndsIt) {
    REQUIRE(HookDebugOutput());
    ResetState();
    ControlPair pair;
    ControlPair other;
    TempDir dir;
    const std::string logPath = dir / "hover.log";
    g_state.hLogFile = CreateFileA(logPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(g_state.hLogFile != INVALID_HANDLE_VALUE);
    g_state.pfnStaticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(pair.normal, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(setupmenu::HoverWndProc)));
    SetWindowLongPtrA(other.normal, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(setupmenu::HoverWndProc));
    SetWindowLongPtrA(pair.normal, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pair.selected));

    CHECK_EQ(SendMessageA(pair.normal, WM_SETCURSOR, reinterpret_cast<WPARAM>(pair.normal), HTCLIENT), 0);
    CHECK_EQ(SendMessageA(pair.normal, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3)), 0);
    CHECK(g_state.bHovering);
    CHECK_EQ(g_state.hwndShownSel, pair.selected);
    CHECK(IsWindowVisible(pair.selected));
    CHECK_EQ(g_debugTexts.size(), 1u);

    // A move over another control during the hover is ignored.
    SendMessageA(other.normal, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    CHECK_EQ(g_state.hwndShownSel, pair.selected);
    CHECK_EQ(g_debugTexts.size(), 1u);

    // The pointer is far away: the tick stops the timer, logs and ends the hover.
    setupmenu::VaskTrackMouseTimerProc(pair.normal, WM_TIMER, 1, 0);
    CHECK(!g_state.bHovering);
    CHECK_EQ(g_state.hwndShownSel, static_cast<HWND>(nullptr));
    CHECK(!IsWindowVisible(pair.selected));
    CHECK(!KillTimer(pair.normal, 1));  // already stopped by the tick

    CloseHandle(g_state.hLogFile);
    g_state.hLogFile = nullptr;
    char expected[128];
    std::snprintf(expected, sizeof expected, "VaskTrackMouseTimerProc: SendMessage: %llx \r\n",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pair.normal)));
    CHECK_EQ(ReadText(logPath).c_str(), expected);
    ResetState();
}

TEST(ControlWithoutSelectedPictureChangesOnlyTheHoverState) {
    REQUIRE(HookDebugOutput());
    ResetState();
    ControlPair pair;
    g_state.pfnStaticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(pair.normal, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(setupmenu::HoverWndProc)));
    SendMessageA(pair.normal, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    CHECK(g_state.bHovering);
    CHECK_EQ(g_state.hwndShownSel, static_cast<HWND>(nullptr));
    // No log open: the tick writes nothing and still ends the hover.
    setupmenu::VaskTrackMouseTimerProc(pair.normal, WM_TIMER, 1, 0);
    CHECK(!g_state.bHovering);
    ResetState();
}

MINI_TEST_MAIN()
