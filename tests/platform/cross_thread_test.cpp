// Calls into a UI thread from other threads: sends and the state-changing
// calls block until the UI thread ran them, posts and invalidations never
// block, and nothing hangs once the UI loop has ended.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <thread>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

constexpr UINT quitRequest = WM_APP + 99;
constexpr UINT blockRequest = WM_APP + 98;

// A gate the UI thread can be held at.
class Gate
{
public:
    void hold()
    {
        std::unique_lock lock(mutex_);
        held_ = true;
        cv_.notify_all();
        cv_.wait(lock, [&] { return open_; });
    }
    void waitUntilHeld()
    {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return held_; });
    }
    void open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool held_ = false;
    bool open_ = false;
};

using Extra = std::function<std::optional<LRESULT>(UINT, WPARAM)>;

// A UI thread with a test window, running GetMessageW until asked to quit.
// `extra` answers messages on the UI thread; `setUp` runs there before the
// loop. The window object outlives the thread so that tests can read what it
// saw.
class UiThread
{
public:
    explicit UiThread(Extra extra = {}, std::function<void(TestWindow&)> setUp = {})
    {
        std::promise<void> ready;
        auto started = ready.get_future();
        thread_ = std::thread([this, extra = std::move(extra), setUp = std::move(setUp), &ready] {
            window_.emplace();
            window_->handler = [this, extra](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
                if (msg == quitRequest)
                {
                    PostQuitMessage(0);
                    return 0;
                }
                if (msg == blockRequest)
                {
                    gate.hold();
                    return 0;
                }
                return extra ? extra(msg, wParam) : std::nullopt;
            };
            if (setUp)
            {
                setUp(*window_);
            }
            ready.set_value();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            loopEnded_.set_value();
            release_.get_future().wait();
        });
        started.wait();
        hwnd_ = window_->hwnd();
    }
    ~UiThread() { letThreadEnd(); }

    void stopLoop()
    {
        if (!stopped_)
        {
            stopped_ = true;
            PostMessageW(hwnd_, quitRequest, 0, 0);
            loopEnded_.get_future().wait();
        }
    }
    void letThreadEnd()
    {
        if (thread_.joinable())
        {
            stopLoop();
            release_.set_value();
            thread_.join();
        }
    }

    HWND hwnd() const { return hwnd_; }
    TestWindow& window() { return *window_; }

    Gate gate;

private:
    std::optional<TestWindow> window_;
    HWND hwnd_ = nullptr;
    std::promise<void> loopEnded_;
    std::promise<void> release_;
    std::thread thread_;
    bool stopped_ = false;
};

class CrossThread : public ::testing::Test
{
protected:
    void SetUp() override { pt::reset(); }
};

TEST_F(CrossThread, FourThousandSendsFromFourThreadsAllArriveAndAnswer)
{
    std::atomic<int> handled{0};
    std::atomic<std::thread::id> handledOn{};
    std::atomic<bool> oneThread{true};
    UiThread ui([&](UINT msg, WPARAM wParam) -> std::optional<LRESULT> {
        if (msg != WM_APP + 5)
        {
            return std::nullopt;
        }
        auto none = std::thread::id();
        if (!handledOn.compare_exchange_strong(none, std::this_thread::get_id()) &&
            handledOn.load() != std::this_thread::get_id())
        {
            oneThread = false;
        }
        ++handled;
        return static_cast<LRESULT>(wParam + 1);
    });
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
    {
        senders.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i)
            {
                auto w = static_cast<WPARAM>(t * 1000 + i);
                if (SendMessageW(ui.hwnd(), WM_APP + 5, w, 0) != static_cast<LRESULT>(w + 1))
                {
                    ++wrong;
                }
            }
        });
    }
    for (auto& s : senders)
    {
        s.join();
    }
    EXPECT_EQ(handled, 4000);
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(oneThread);
    EXPECT_NE(handledOn.load(), std::this_thread::get_id());
}

TEST_F(CrossThread, SentCallsAreHandledBeforePostedMessages)
{
    std::mutex mutex;
    std::vector<UINT> order;
    UiThread ui([&](UINT msg, WPARAM) -> std::optional<LRESULT> {
        if (msg == WM_APP + 2 || msg == WM_APP + 3)
        {
            std::lock_guard lock(mutex);
            order.push_back(msg);
            return 0;
        }
        return std::nullopt;
    });
    PostMessageW(ui.hwnd(), blockRequest, 0, 0);
    ui.gate.waitUntilHeld();
    PostMessageW(ui.hwnd(), WM_APP + 2, 0, 0);
    std::thread sender([&] { SendMessageW(ui.hwnd(), WM_APP + 3, 0, 0); });
    while (pt::waitingCalls(ui.hwnd()) == 0)
    {
        std::this_thread::yield();
    }
    ui.gate.open();
    sender.join();
    pt::waitUntilIdle(ui.hwnd());
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<UINT>{WM_APP + 3, WM_APP + 2}));
}

TEST_F(CrossThread, SendAfterTheLoopEndedReturnsZeroAtOnce)
{
    UiThread ui([](UINT msg, WPARAM) -> std::optional<LRESULT> {
        return msg == WM_APP + 5 ? std::optional<LRESULT>(7) : std::nullopt;
    });
    EXPECT_EQ(SendMessageW(ui.hwnd(), WM_APP + 5, 0, 0), 7);
    HWND hwnd = ui.hwnd();
    ui.stopLoop(); // the thread still lives, its loop is over
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 5, 0, 0), 0);
    EXPECT_EQ(EnableWindow(hwnd, FALSE), FALSE);
    EXPECT_EQ(SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE), FALSE);
    ui.letThreadEnd(); // and now it is gone
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 5, 0, 0), 0);
    EXPECT_TRUE(PostMessageW(hwnd, WM_APP, 0, 0) == FALSE);
}

TEST_F(CrossThread, StateChangesFromAnotherThreadAreDoneWhenTheCallReturns)
{
    HWND box = nullptr, edit = nullptr, list = nullptr;
    UiThread ui({}, [&](TestWindow& w) {
        box = w.add(L"button", checkBoxStyle, RECT{5, 149, 17, 161}, 32798);
        edit = w.add(L"Edit", editStyle, RECT{217, 343, 267, 359}, 32839);
        list = w.add(L"ComboBox", comboStyle, RECT{5, 114, 110, 194}, 32789);
    });
    // As the start-up thread does: fill, select, show, enable, check, move.
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* item : {L"MSFS 2020", L"MSFS 2024"})
    {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    EXPECT_EQ(SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"MSFS 2024")), 1);
    EXPECT_TRUE(SetWindowTextW(edit, L"EHAM"));
    EXPECT_EQ(textOf(edit), L"EHAM");
    EnableWindow(edit, FALSE);
    EXPECT_FALSE(IsWindowEnabled(edit));
    EXPECT_TRUE(CheckDlgButton(ui.hwnd(), 32798, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(ui.hwnd(), 32798), BST_CHECKED);
    EXPECT_TRUE(SetWindowPos(ui.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_NE(GetWindowLongPtrW(ui.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    pt::waitUntilIdle(ui.hwnd());
    EXPECT_FALSE(ui.window().seen(WM_COMMAND).empty()); // the edit's EN_CHANGE reached the UI thread
    (void)box;
}

TEST_F(CrossThread, InvalidationsFromAnotherThreadMakeOnePaint)
{
    UiThread ui;
    pt::waitUntilIdle(ui.hwnd());
    ui.window().clear();
    PostMessageW(ui.hwnd(), blockRequest, 0, 0);
    ui.gate.waitUntilHeld();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
    {
        writers.emplace_back([&] {
            for (int i = 0; i < 25; ++i)
            {
                RECT strip{0, 448, 880, 476};
                InvalidateRect(ui.hwnd(), &strip, FALSE);
            }
        });
    }
    for (auto& w : writers)
    {
        w.join();
    }
    ui.gate.open();
    ASSERT_TRUE(pt::waitUntilIdle(ui.hwnd()));
    EXPECT_EQ(ui.window().seen(WM_PAINT).size(), 1u);
    // An idle UI thread is woken by an invalidation alone.
    RECT strip{0, 448, 880, 476};
    InvalidateRect(ui.hwnd(), &strip, FALSE);
    ASSERT_TRUE(pt::waitUntilIdle(ui.hwnd()));
    EXPECT_EQ(ui.window().seen(WM_PAINT).size(), 2u);
}

TEST_F(CrossThread, PostsFromManyThreadsKeepEachSendersOrder)
{
    UiThread ui([](UINT msg, WPARAM) { return msg == WM_APP + 1 ? std::optional<LRESULT>(0) : std::nullopt; });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
    {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i)
            {
                while (!PostMessageW(ui.hwnd(), WM_APP + 1, static_cast<WPARAM>(t), static_cast<LPARAM>(i)))
                {
                    std::this_thread::yield(); // the queue is full for a moment
                }
            }
        });
    }
    for (auto& p : posters)
    {
        p.join();
    }
    ui.letThreadEnd();
    std::vector<std::vector<LPARAM>> bySender(4);
    for (const Seen& s : ui.window().seen(WM_APP + 1))
    {
        bySender[s.wParam].push_back(s.lParam);
    }
    for (const auto& seq : bySender)
    {
        ASSERT_EQ(seq.size(), 1000u);
        EXPECT_TRUE(std::is_sorted(seq.begin(), seq.end()));
    }
}

TEST_F(CrossThread, TwoUiThreadsSendingToEachOtherDoNotDeadlock)
{
    std::atomic<HWND> ha{nullptr}, hb{nullptr};
    UiThread a([&](UINT msg, WPARAM) -> std::optional<LRESULT> {
        if (msg == WM_APP + 10)
        {
            return SendMessageW(hb, WM_APP + 11, 0, 0) + 1;
        }
        return msg == WM_APP + 12 ? std::optional<LRESULT>(100) : std::nullopt;
    });
    UiThread b([&](UINT msg, WPARAM) -> std::optional<LRESULT> {
        return msg == WM_APP + 11 ? std::optional<LRESULT>(SendMessageW(ha, WM_APP + 12, 0, 0) + 10) : std::nullopt;
    });
    ha = a.hwnd();
    hb = b.hwnd();
    EXPECT_EQ(SendMessageW(ha, WM_APP + 10, 0, 0), 111);
}

} // namespace
} // namespace ovr::test
