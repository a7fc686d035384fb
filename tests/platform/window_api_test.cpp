// Windowing and the message queue, through the public API only.
#include "surface_helpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Call {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Call> calls;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP || message == WM_CLOSE) {
        calls.push_back(Call{window, message, wParam, lParam});
        return 77;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND recordingWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = recordingProc;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        windowClass.lpszClassName = "PlatformRecording";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "PlatformRecording", "Recording", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    return window;
}

// Takes every message waiting, up to WM_QUIT; returns the messages seen.
std::vector<MSG> drain() {
    std::vector<MSG> seen;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        seen.push_back(msg);
        if (msg.message == WM_QUIT)
            break;
    }
    return seen;
}

TEST(Windows, CreationNeedsARegisteredClass) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClassHere", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    HWND window = recordingWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(ShowWindow(window, SW_SHOWMAXIMIZED));   // it was hidden before
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
    RECT rect;
    EXPECT_TRUE(SetRect(&rect, 1, 2, 640, 480));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 640);
    EXPECT_EQ(rect.bottom, 480);
}

TEST(Messages, ComeOutInTheOrderTheyWerePosted) {
    HWND window = recordingWindow();
    drain();
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'A', 1));
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)));
    ASSERT_TRUE(PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(30, 40)));
    std::vector<MSG> seen = drain();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, (UINT)WM_KEYDOWN);
    EXPECT_EQ(seen[1].message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(seen[2].message, (UINT)WM_LBUTTONUP);
    EXPECT_EQ(LOWORD(seen[1].lParam), 10);
    EXPECT_EQ(HIWORD(seen[1].lParam), 20);
    EXPECT_EQ(seen[2].hwnd, window);
}

TEST(Messages, PeekWithoutRemoveLeavesTheMessageQueued) {
    HWND window = recordingWindow();
    drain();
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'B', 0));
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'C', 0));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, (WPARAM)'B');
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, (WPARAM)'B');
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, (WPARAM)'B');
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, (WPARAM)'C');
    drain();
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(Messages, QuitComesAfterTheMessagesAlreadyQueued) {
    HWND window = recordingWindow();
    drain();
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'D', 0));
    PostQuitMessage(5);
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'E', 0));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, (WPARAM)'D');
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, (WPARAM)'E');
    // A peek without removal shows the quit but leaves it.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(msg.wParam, (WPARAM)5);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(Messages, QuitPassesEveryFilter) {
    HWND window = recordingWindow();
    drain();
    PostQuitMessage(2);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(Messages, TranslatingAKeyPostsItsCharacter) {
    HWND window = recordingWindow();
    drain();
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1));
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_TRUE(TranslateMessage(&msg));
    std::vector<MSG> seen = drain();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(seen[1].message, (UINT)WM_CHAR);
    EXPECT_EQ(seen[1].wParam, (WPARAM)VK_ESCAPE);
}

TEST(Messages, DispatchCallsTheWindowProcedure) {
    HWND window = recordingWindow();
    drain();
    calls.clear();
    ASSERT_TRUE(PostMessageA(window, WM_LBUTTONUP, 3, MAKELPARAM(7, 9)));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    TranslateMessage(&msg);
    EXPECT_EQ(DispatchMessageA(&msg), 77);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].window, window);
    EXPECT_EQ(calls[0].message, (UINT)WM_LBUTTONUP);
    EXPECT_EQ(calls[0].wParam, (WPARAM)3);
    EXPECT_EQ(calls[0].lParam, MAKELPARAM(7, 9));
}

TEST(Messages, AMessagePostedWhileHandlingOneComesNext) {
    // The client's Escape: WM_KEYDOWN posts WM_CLOSE, whose handler quits.
    HWND window = recordingWindow();
    drain();
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    PostQuitMessage(0);
    std::vector<MSG> seen = drain();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(seen[1].message, (UINT)WM_CLOSE);
    EXPECT_EQ(seen[2].message, (UINT)WM_QUIT);
}

TEST(Messages, PostingToAWindowThatDoesNotExistFails) {
    HWND bogus = reinterpret_cast<HWND>(uintptr_t(0x7FFF0));
    EXPECT_FALSE(PostMessageA(bogus, WM_KEYDOWN, 0, 0));
}

} // namespace
