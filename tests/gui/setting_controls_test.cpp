#include "../params/test_support.h"
#include "core/parameters.h"
#include "core/text_convert.h"
#include "gui/setting_controls.h"
#include "platform/win/test_support.h"
#include "platform/win/windows.h"

namespace ovr::test
{
namespace
{

struct TestButton : NamedItem, WindowControl
{
    TestButton(std::string caption, std::uint16_t id, std::int32_t y)
        : NamedItem(std::move(caption)), WindowControl(id, y)
    {
    }
};

std::string comboText(HWND combo, int index)
{
    std::wstring text(
        static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0)), L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return gf_wideToUtf8(text);
}

// A parent window on the test thread with one drop-down list per combo
// parameter under test.
class SettingControls : public TempFolderTest
{
  protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        platform_test::reset();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &DefWindowProcW;
        wc.lpszClassName = L"SettingControlsTest";
        RegisterClassExW(&wc);
        parent_ = CreateWindowExW(0, L"SettingControlsTest", L"test", WS_CAPTION | WS_SYSMENU, 0, 0, 880, 516,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        creation_.hInstance = GetModuleHandleW(nullptr);
        RANGE.hwnd = combo(RANGE.controlId);
        SIM_CHOICE.hwnd = combo(SIM_CHOICE.controlId);
        CALLSIGN_2_OBJECTID.hwnd = combo(CALLSIGN_2_OBJECTID.controlId);
    }

    void TearDown() override
    {
        for (WindowControl* control :
             std::initializer_list<WindowControl*>{&RANGE, &SIM_CHOICE, &CALLSIGN_2_OBJECTID})
        {
            control->hwnd = nullptr;
        }
        RANGE.current = RANGE.defaultValue;
        SIM_CHOICE.setValue(SIM_CHOICE.defaultText());
        *g_callsignChoices = {""};
        platform_test::reset();
        TempFolderTest::TearDown();
    }

    HWND combo(std::uint16_t id)
    {
        return CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0,
                               0, 100, 200, parent_, reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)),
                               creation_.hInstance, nullptr);
    }

    HWND parent_ = nullptr;
    CREATESTRUCTW creation_{};
};

TEST_F(SettingControls, ListComboSelectsTheCurrentValueWhenListed)
{
    const struct
    {
        std::int32_t current;
        LRESULT selected;
    } cases[] = {{40, 15}, {2, 0}, {100, 19}, {7, CB_ERR}};
    for (const auto& c : cases)
    {
        RANGE.current = c.current;
        lf_fillListCombo(RANGE);
        lf_fillListCombo(RANGE); // a refill replaces the entries
        EXPECT_EQ(SendMessageW(RANGE.hwnd, CB_GETCOUNT, 0, 0), 20);
        EXPECT_EQ(comboText(RANGE.hwnd, 17), "65");
        EXPECT_EQ(SendMessageW(RANGE.hwnd, CB_GETCURSEL, 0, 0), c.selected) << c.current;
    }
}

TEST_F(SettingControls, ChoiceComboSelectsByTheStartOfTheText)
{
    const struct
    {
        const char* current;
        LRESULT selected;
    } cases[] = {{"MSFS 2024", 1}, {"MSFS 2020", 0}, {"msfs", 0}, {"X-Plane", CB_ERR}};
    for (const auto& c : cases)
    {
        SIM_CHOICE.setValue(c.current);
        lf_fillChoiceCombo(SIM_CHOICE);
        EXPECT_EQ(SendMessageW(SIM_CHOICE.hwnd, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageW(SIM_CHOICE.hwnd, CB_GETCURSEL, 0, 0), c.selected) << c.current;
    }
}

TEST_F(SettingControls, CallsignComboShowsTheSharedList)
{
    *g_callsignChoices = {"", "KLM1234", "DLH5A", "bad \xff text"};
    CALLSIGN_2_OBJECTID.setValue("DLH5A");
    lf_fillGlobalChoiceCombo();
    EXPECT_EQ(SendMessageW(CALLSIGN_2_OBJECTID.hwnd, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(CALLSIGN_2_OBJECTID.hwnd, CB_GETCURSEL, 0, 0), 2);
    EXPECT_NE(logText().find("utf8_to_wide failed for 'bad \xff text': utf8_to_wide: invalid UTF-8"),
              std::string::npos);
}

TEST_F(SettingControls, FillingAMissingControlDoesNothing)
{
    RANGE.hwnd = nullptr;
    lf_fillListCombo(RANGE);
    SIM_CHOICE.hwnd = nullptr;
    lf_fillChoiceCombo(SIM_CHOICE);
    EXPECT_EQ(logText().find("failed"), std::string::npos);
}

TEST_F(SettingControls, ButtonIsCreatedDisabledThenEnabled)
{
    TestButton button("Rescan liveries", 32801, 147);
    lf_createDisabledButton(button, parent_, creation_, 120, 90);
    ASSERT_TRUE(IsWindow(button.hwnd));
    EXPECT_EQ(GetDlgItem(parent_, 32801), button.hwnd);
    EXPECT_EQ(GetWindowLongPtrW(button.hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_DISABLED), 0x50010001);
    EXPECT_FALSE(IsWindowEnabled(button.hwnd));
    std::wstring caption(64, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(button.hwnd, caption.data(), 64)));
    EXPECT_EQ(gf_wideToUtf8(caption), "Rescan liveries");
    RECT r{};
    GetWindowRect(button.hwnd, &r);
    EXPECT_EQ(r.bottom - r.top, 20);
    EXPECT_EQ(r.right - r.left, 90);

    lf_enableSettingControl(button);
    EXPECT_TRUE(IsWindowEnabled(button.hwnd));
}

} // namespace
} // namespace ovr::test
