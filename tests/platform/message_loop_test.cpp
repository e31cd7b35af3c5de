// The message loop's semantics on one thread: the order in which work is
// taken, posting rules, quitting, dispatching and subclassing.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <thread>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

class MessageLoop : public ::testing::Test
{
protected:
    void SetUp() override { pt::reset(); }

    // Takes messages with GetMessageW until it returns 0; WM_QUIT is listed too.
    std::vector<UINT> drain(int* quitCode = nullptr)
    {
        std::vector<UINT> taken;
        MSG msg;
        BOOL r;
        while ((r = GetMessageW(&msg, nullptr, 0, 0)) > 0)
        {
            taken.push_back(msg.message);
            DispatchMessageW(&msg);
        }
        taken.push_back(msg.message);
        if (quitCode != nullptr)
        {
            *quitCode = static_cast<int>(msg.wParam);
        }
        return taken;
    }
};

TEST_F(MessageLoop, TakesPostedInFifoOrderThenInputThenPaintThenQuit)
{
    TestWindow w;
    pt::pumpUntilIdle();
    PostQuitMessage(7);
    InvalidateRect(w.hwnd(), nullptr, FALSE);
    pt::queueClick(w.hwnd(), POINT{5, 5});
    PostMessageW(w.hwnd(), WM_APP + 1, 0, 0);
    PostMessageW(w.hwnd(), WM_APP + 2, 0, 0);
    int code = 0;
    EXPECT_EQ(drain(&code),
              (std::vector<UINT>{WM_APP + 1, WM_APP + 2, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_PAINT, WM_QUIT}));
    EXPECT_EQ(code, 7);
}

TEST_F(MessageLoop, PostWithoutWindowGoesToTheCallersQueue)
{
    PostMessageW(nullptr, WM_APP + 0x60, 3, 4);
    PostQuitMessage(0);
    MSG msg;
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, WM_APP + 0x60);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageLoop, ThreadWithoutQueueDropsPostWithoutWindow)
{
    BOOL posted = TRUE;
    std::thread([&] { posted = PostMessageW(nullptr, WM_APP + 0x60, 0, 0); }).join();
    EXPECT_EQ(posted, FALSE);
}

TEST_F(MessageLoop, PostToUnknownWindowFails)
{
    EXPECT_EQ(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_APP, 0, 0), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(MessageLoop, QueueHoldsTenThousandPostedMessages)
{
    TestWindow w;
    pt::pumpUntilIdle();
    for (int i = 0; i < 10000; ++i)
    {
        ASSERT_TRUE(PostMessageW(w.hwnd(), WM_APP, static_cast<WPARAM>(i), 0)) << i;
    }
    EXPECT_EQ(PostMessageW(w.hwnd(), WM_APP, 0, 0), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_TRUE(PostMessageW(w.hwnd(), WM_APP, 0, 0));
}

TEST_F(MessageLoop, SendOnTheOwnerThreadIsADirectCall)
{
    TestWindow w;
    bool inside = false;
    w.handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_APP + 5)
        {
            return std::nullopt;
        }
        inside = true;
        return static_cast<LRESULT>(wParam * 2);
    };
    EXPECT_EQ(SendMessageW(w.hwnd(), WM_APP + 5, 21, 0), 42);
    EXPECT_TRUE(inside);
}

TEST_F(MessageLoop, SendToUnknownWindowReturnsZero)
{
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x1234), WM_APP, 0, 0), 0);
    EXPECT_EQ(SendMessageW(nullptr, WM_APP, 0, 0), 0);
}

TEST_F(MessageLoop, PeekTakesQuitAndGetReturnsZeroWithTheCode)
{
    PostQuitMessage(-1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(static_cast<int>(msg.wParam), -1);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoop, TranslateMessageTurnsAKeyIntoItsCharacter)
{
    TestWindow w;
    pt::pumpUntilIdle();
    w.clear();
    pt::typeText(w.hwnd(), "a\xC3\xA9");
    auto downs = w.seen(WM_KEYDOWN);
    auto chars = w.seen(WM_CHAR);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(downs[1].wParam, VK_PACKET);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(chars[1].wParam, 0xE9u);
    pt::pressKey(w.hwnd(), VK_RETURN);
    EXPECT_EQ(w.seen(WM_CHAR).back().wParam, 13u);
}

TEST_F(MessageLoop, AProcedureIgnoringPaintIsNotPaintedForever)
{
    TestWindow w;
    pt::pumpUntilIdle();
    w.clear();
    w.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        return msg == WM_PAINT ? std::optional<LRESULT>(0) : std::nullopt;
    };
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    auto result = pt::pumpUntilIdle();
    EXPECT_LT(result.dispatched, 5u);
    EXPECT_EQ(w.seen(WM_PAINT).size(), 1u);
}

TEST_F(MessageLoop, SubclassSeesMessagesFirstAndChainsToTheEdit)
{
    TestWindow w;
    HWND edit = w.add(L"Edit", editStyle, RECT{111, 119, 311, 135}, 32828);
    static WNDPROC previous = nullptr;
    static std::vector<WPARAM> charsSeen;
    charsSeen.clear();
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_CHAR)
            {
                charsSeen.push_back(wp);
                if (wp == 13)
                {
                    return 0; // the program takes Enter itself
                }
            }
            return CallWindowProcW(previous, h, m, wp, lp);
        })));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(previous), true);
    pt::typeInto(edit, "klm1");
    pt::pressKey(edit, VK_RETURN);
    EXPECT_EQ(charsSeen, (std::vector<WPARAM>{'k', 'l', 'm', '1', 13}));
    EXPECT_EQ(textOf(edit), L"klm1");
}

} // namespace
} // namespace ovr::test
