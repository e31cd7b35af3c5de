// The three control classes as the program uses them: who notifies when,
// what a user can and cannot do, and how they look in the paint record.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

constexpr int checkId = 32798;
constexpr int buttonId = 32838;
constexpr int editId = 32839;
constexpr int comboId = 32789;
constexpr COLORREF greyText = RGB(109, 109, 109);

class Controls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pt::reset();
        window.emplace();
        window->handler = [](HWND, UINT msg, WPARAM wParam, LPARAM) { return programColours(msg, wParam); };
    }

    HWND combo(std::initializer_list<const wchar_t*> items, RECT r = RECT{5, 114, 110, 194})
    {
        HWND h = window->add(L"ComboBox", comboStyle, r, comboId);
        for (const wchar_t* item : items)
        {
            SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        return h;
    }

    LRESULT selectString(HWND h, int after, const wchar_t* text)
    {
        return SendMessageW(h, CB_SELECTSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text));
    }

    std::optional<TestWindow> window;
};

// ---- check boxes and push buttons ----

struct ClickCase
{
    DWORD style;
    LRESULT checkedAfterClick;
};

class CheckBoxClick : public Controls, public ::testing::WithParamInterface<ClickCase>
{
};

TEST_P(CheckBoxClick, SendsOneBnClickedAndTogglesOnlyWhenAutomatic)
{
    HWND box = window->add(L"button", GetParam().style, RECT{5, 149, 17, 161}, checkId);
    pt::pumpUntilIdle();
    pt::click(box);
    EXPECT_EQ(window->commands(checkId), std::vector<WORD>{BN_CLICKED});
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), GetParam().checkedAfterClick);
    auto cmd = window->seen(WM_COMMAND);
    ASSERT_EQ(cmd.size(), 1u);
    EXPECT_EQ(cmd[0].lParam, reinterpret_cast<LPARAM>(box));
}

INSTANTIATE_TEST_SUITE_P(Styles, CheckBoxClick,
                         ::testing::Values(ClickCase{checkBoxStyle, BST_UNCHECKED},
                                           ClickCase{(checkBoxStyle & ~BS_TYPEMASK) | BS_AUTOCHECKBOX, BST_CHECKED}));

TEST_F(Controls, ProgrammaticChangesNeverNotify)
{
    HWND box = window->add(L"button", checkBoxStyle, RECT{5, 149, 17, 161}, checkId);
    HWND list = combo({L"10", L"20", L"40"});
    CheckDlgButton(window->hwnd(), checkId, BST_CHECKED);
    SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(list, CB_SETCURSEL, 2, 0);
    selectString(list, -1, L"2");
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"5"));
    pt::pumpUntilIdle();
    EXPECT_TRUE(window->seen(WM_COMMAND).empty());
    EXPECT_EQ(IsDlgButtonChecked(window->hwnd(), checkId), BST_CHECKED);
}

TEST_F(Controls, PushButtonClicksOnlyWhenReleasedInside)
{
    HWND button = window->add(L"button", pushButtonStyle, RECT{758, 341, 848, 361}, buttonId, L"Re-read");
    pt::pumpUntilIdle();
    pt::click(button);
    EXPECT_EQ(window->commands(buttonId), std::vector<WORD>{BN_CLICKED});
    window->clear();
    // Pressed on the button, released beside it: no click.
    SendMessageW(button, WM_LBUTTONDOWN, 1, MAKELPARAM(5, 5));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_TRUE(window->commands(buttonId).empty());
}

TEST_F(Controls, DisabledControlsTakeNoInput)
{
    HWND button = window->add(L"button", pushButtonStyle, RECT{758, 341, 848, 361}, buttonId, L"Re-read");
    HWND edit = window->add(L"Edit", editStyle, RECT{217, 343, 267, 359}, editId);
    HWND list = combo({L"a", L"b"});
    for (HWND h : {button, edit, list})
    {
        EnableWindow(h, FALSE);
    }
    pt::pumpUntilIdle();
    window->clear();
    pt::click(button);
    pt::typeInto(edit, "EHAM");
    pt::click(list);
    pt::wheel(list, -1);
    EXPECT_TRUE(window->seen(WM_COMMAND).empty());
    EXPECT_EQ(textOf(edit), L"");
    EXPECT_EQ(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(Controls, DisabledButtonCaptionIsGrey)
{
    HWND button = window->add(L"button", pushButtonStyle, RECT{758, 341, 848, 361}, buttonId, L"Re-read");
    pt::pumpUntilIdle();
    pt::clearPaintCalls();
    EnableWindow(button, FALSE);
    pt::pumpUntilIdle();
    auto drawn = pt::textsDrawn("Re-read");
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().colour, greyText);
    pt::clearPaintCalls();
    EnableWindow(button, TRUE);
    pt::pumpUntilIdle();
    EXPECT_EQ(pt::textsDrawn("Re-read").back().colour, RGB(0, 0, 0));
}

// ---- edit ----

TEST_F(Controls, NarrowEditTakesFourCharactersAndRefusesWhatDoesNotFit)
{
    HWND edit = window->add(L"Edit", editStyle, RECT{217, 343, 267, 359}, editId);
    pt::pumpUntilIdle();
    pt::typeInto(edit, "EHAM");
    EXPECT_EQ(textOf(edit), L"EHAM");
    window->clear();
    pt::typeText(edit, "WW");
    EXPECT_EQ(textOf(edit), L"EHAM");
    EXPECT_EQ(window->commands(editId), (std::vector<WORD>{EN_MAXTEXT, EN_MAXTEXT}));
}

TEST_F(Controls, EditReportsUpdateThenChangeForTypingAndSetText)
{
    HWND edit = window->add(L"Edit", editStyle, RECT{107, 259, 207, 275}, editId);
    pt::click(edit);
    window->clear();
    pt::typeText(edit, "k");
    SetWindowTextW(edit, L"KLM123");
    EXPECT_EQ(window->commands(editId), (std::vector<WORD>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(textOf(edit), L"KLM123");
}

TEST_F(Controls, EditKeysMoveTheCaretAndDelete)
{
    HWND edit = window->add(L"Edit", editStyle, RECT{107, 259, 207, 275}, editId);
    pt::typeInto(edit, "abcd");
    pt::pressKey(edit, VK_LEFT);
    pt::pressKey(edit, VK_BACK);
    EXPECT_EQ(textOf(edit), L"abd");
    pt::pressKey(edit, VK_HOME);
    pt::pressKey(edit, VK_DELETE);
    EXPECT_EQ(textOf(edit), L"bd");
    pt::pressKey(edit, VK_END);
    pt::typeText(edit, "e");
    EXPECT_EQ(textOf(edit), L"bde");
}

TEST_F(Controls, EditFocusIsReportedToTheParent)
{
    HWND first = window->add(L"Edit", editStyle, RECT{107, 259, 207, 275}, editId);
    HWND second = window->add(L"Edit", editStyle, RECT{217, 343, 267, 359}, editId + 1);
    pt::click(first);
    pt::click(second);
    EXPECT_EQ(window->commands(editId), (std::vector<WORD>{EN_SETFOCUS, EN_KILLFOCUS}));
    EXPECT_EQ(window->commands(editId + 1), std::vector<WORD>{EN_SETFOCUS});
    EXPECT_EQ(GetFocus(), second);
}

TEST_F(Controls, EditAsksForColoursByState)
{
    HWND edit = window->add(L"Edit", editStyle, RECT{217, 343, 267, 359}, editId, L"EHAM");
    pt::pumpUntilIdle();
    EXPECT_FALSE(window->seen(WM_CTLCOLOREDIT).empty());
    pt::clearPaintCalls();
    EnableWindow(edit, FALSE);
    pt::pumpUntilIdle();
    EXPECT_FALSE(window->seen(WM_CTLCOLORSTATIC).empty());
    auto drawn = pt::textsDrawn("EHAM");
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().bkMode, OPAQUE);
    EXPECT_EQ(drawn.back().bkColour, lightBlue);
    EXPECT_EQ(drawn.back().colour, greyText);
}

// ---- combo box ----

struct SelectCase
{
    const char* name;
    int preselected;
    int after;
    const wchar_t* text;
    LRESULT result;
    LRESULT selectionAfter;
};

class SelectString : public Controls, public ::testing::WithParamInterface<SelectCase>
{
};

TEST_P(SelectString, FindsACaseBlindPrefixAndKeepsTheSelectionOtherwise)
{
    const SelectCase& c = GetParam();
    HWND list = combo({L"MSFS 2020", L"MSFS 2024", L"Prepar3D"});
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(c.preselected), 0);
    EXPECT_EQ(selectString(list, c.after, c.text), c.result);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), c.selectionAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectString,
    ::testing::Values(SelectCase{"PrefixFromStart", -1, -1, L"msfs", 0, 0},
                      SelectCase{"WholeText", -1, -1, L"MSFS 2024", 1, 1},
                      SelectCase{"StartsAfterIndex", -1, 0, L"msfs", 1, 1},
                      SelectCase{"WrapsRound", -1, 1, L"msfs", 0, 0},
                      SelectCase{"NoMatchKeepsSelection", 2, -1, L"FSX", CB_ERR, 2},
                      SelectCase{"LongerThanItem", 1, -1, L"MSFS 2024 beta", CB_ERR, 1},
                      SelectCase{"EmptyMatchesFirst", 2, -1, L"", 0, 0}),
    [](const auto& param) { return param.param.name; });

TEST_F(Controls, SelectStringInAnEmptyListFails)
{
    HWND list = combo({});
    EXPECT_EQ(selectString(list, -1, L""), CB_ERR);
}

TEST_F(Controls, SetCurSelOutsideTheListClearsTheSelection)
{
    HWND list = combo({L"10", L"20"});
    EXPECT_EQ(SendMessageW(list, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageW(list, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(Controls, GetLbTextCopiesTheWholeItem)
{
    HWND list = combo({L"MSFS 2020", L"Prepar3D"});
    WCHAR buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), L'x');
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 8);
    EXPECT_EQ(std::wstring(buffer), L"Prepar3D");
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXTLEN, 0, 0), 9);
    EXPECT_EQ(SendMessageW(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buffer)), CB_ERR);
    EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 2);
}

TEST_F(Controls, UserChoiceSendsSelChangeWithTheIdAndTheControl)
{
    HWND list = combo({L"MSFS 2020", L"MSFS 2024"});
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    pt::pumpUntilIdle();
    ASSERT_TRUE(pt::chooseComboEntry(list, 1));
    auto commands = window->seen(WM_COMMAND);
    auto selChange = std::find_if(commands.begin(), commands.end(),
                                  [](const Seen& s) { return s.wParam == MAKEWPARAM(comboId, CBN_SELCHANGE); });
    ASSERT_NE(selChange, commands.end());
    EXPECT_EQ(selChange->lParam, reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    WCHAR text[64] = {};
    GetWindowTextW(list, text, 64);
    EXPECT_EQ(std::wstring(text), L"MSFS 2024");
}

TEST_F(Controls, WheelAndArrowKeysAreUserChoicesToo)
{
    HWND list = combo({L"10", L"20", L"40"});
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    pt::click(list); // opens
    pt::pressKey(list, VK_ESCAPE);
    window->clear();
    pt::pressKey(list, VK_DOWN);
    pt::wheel(list, -1);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(window->commands(comboId), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE}));
}

TEST_F(Controls, ClickOutsideTheOpenListCancelsIt)
{
    HWND list = combo({L"10", L"20"});
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    pt::click(list);
    ASSERT_EQ(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    pt::clickAt(window->hwnd(), POINT{600, 50});
    EXPECT_EQ(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
    auto codes = window->commands(comboId);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_SELCHANGE), 0);
    EXPECT_EQ(codes.back(), CBN_CLOSEUP);
}

TEST_F(Controls, LongListIsScrolledToTheChosenEntryAndStaysInTheWindow)
{
    // TIME_SHIFT_MINS: 60 entries and a list that would reach past the window.
    HWND list = window->add(L"ComboBox", comboStyle, RECT{748, 282, 793, 582}, comboId);
    for (int m = 0; m < 60; ++m)
    {
        std::wstring v = std::to_wstring(m);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v.c_str()));
    }
    pt::pumpUntilIdle();
    pt::clearPaintCalls();
    pt::click(list);
    for (const pt::PaintCall& c : pt::paintCalls())
    {
        EXPECT_LE(c.rect.bottom, 516) << pt::describe(c);
    }
    pt::pressKey(list, VK_ESCAPE);
    ASSERT_TRUE(pt::chooseComboEntry(list, 47));
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 47);
    ASSERT_TRUE(pt::chooseComboEntry(list, 2));
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(Controls, OpenListIsPaintedOverTheControlsBelowAndInsideTheWindow)
{
    HWND packages = combo({L"AIG", L"FSLTL", L"Simple Traffic"}, RECT{323, 142, 498, 442});
    HWND below = window->add(L"button", pushButtonStyle, RECT{323, 175, 413, 195}, buttonId, L"Below");
    pt::pumpUntilIdle();
    pt::click(packages);
    pt::clearPaintCalls();
    InvalidateRect(window->hwnd(), nullptr, TRUE);
    pt::pumpUntilIdle();
    auto calls = pt::paintCalls();
    auto indexOf = [&](const char* text) {
        auto it = std::find_if(calls.begin(), calls.end(), [&](const pt::PaintCall& c) { return c.text == text; });
        return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
    };
    ASSERT_GE(indexOf("Below"), 0);
    ASSERT_GE(indexOf("FSLTL"), 0);
    EXPECT_LT(indexOf("Below"), indexOf("FSLTL"));
    // A click where the list covers the button chooses from the list.
    ASSERT_NE(below, nullptr);
    pt::clickAt(window->hwnd(), POINT{368, 185});
    EXPECT_TRUE(window->commands(buttonId).empty());
    EXPECT_EQ(SendMessageW(packages, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(Controls, ComboWithoutSelectionShowsItsWindowText)
{
    HWND range = combo({L"10", L"20", L"40"}, RECT{217, 226, 267, 426});
    pt::pumpUntilIdle();
    pt::clearPaintCalls();
    SetWindowTextW(range, L"7");
    pt::pumpUntilIdle();
    EXPECT_EQ(SendMessageW(range, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_FALSE(pt::textsDrawn("7").empty());
    EXPECT_EQ(textOf(range), L"7");
    SetWindowTextW(range, L"40");
    EXPECT_EQ(SendMessageW(range, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(Controls, ClosedComboIsOneLineOfTextHigh)
{
    HWND range = combo({L"10"}, RECT{217, 226, 267, 426});
    SIZE text{};
    GetTextExtentPoint32W(nullptr, L"10", 2, &text);
    RECT r{};
    GetWindowRect(range, &r);
    EXPECT_EQ(r.bottom - r.top, text.cy + 8);
    EXPECT_EQ(r.right - r.left, 50);
}

} // namespace
} // namespace ovr::test
