// The controls that WM_CREATE makes: kind, style, id, place and first state
// of each, in the order of creation.
#include <gtest/gtest.h>

#include "core/parameters.h"
#include "core/text_convert.h"
#include "gui/main_window.h"
#include "main_window_fixture.h"

namespace ovr::test
{
namespace
{

enum class ControlKind
{
    combo,
    edit,
    check,
    button
};

struct ControlRow
{
    const char* name;
    ControlKind kind;
    int id;
    int x;
    int y;
    int width;
    int height;
};

constexpr DWORD kComboStyle = 0x50210003;
constexpr DWORD kCheckStyle = 0x50010002;
constexpr DWORD kButtonStyle = 0x50010001;
constexpr DWORD kEditStyle = 0x50810000;

constexpr ControlRow kControls[] = {
    {"SIM_CHOICE", ControlKind::combo, 32789, 5, 114, 105, 80},
    {"ALL_INSTALL_PATH", ControlKind::edit, 32788, 111, 119, 1200, 16},
    {"SCAN_LIVERIES", ControlKind::check, 32798, 5, 149, 12, 12},
    {"LIG_AUTOMATIC", ControlKind::check, 32799, 217, 149, 12, 12},
    {"AI_PACKAGE_SELECTOR", ControlKind::combo, 32790, 323, 142, 175, 300},
    {"LIG_PRIORITIZE", ControlKind::check, 32800, 536, 149, 12, 12},
    {"ALWAYS_ON_TOP", ControlKind::check, 32771, 748, 149, 12, 12},
    {"SCAN_AIRPORTS", ControlKind::check, 32802, 5, 177, 12, 12},
    {"tblo.zip", ControlKind::button, 32804, 217, 175, 80, 20},
    {"OBJECTID_LIST", ControlKind::check, 32775, 652, 177, 12, 12},
    {"NAV_LIGHTS_WHILE_PARKED", ControlKind::check, 32774, 748, 177, 12, 12},
    {"MATCHING_DEPTH", ControlKind::combo, 32808, 217, 198, 40, 120},
    {"LIGHT_AIRCRAFT", ControlKind::check, 32809, 323, 205, 12, 12},
    {"HELICOPTERS", ControlKind::check, 32810, 430, 205, 12, 12},
    {"HIGH_PERF_AIRCRAFT", ControlKind::check, 32811, 536, 205, 12, 12},
    {"GUID_CHANGES", ControlKind::check, 32773, 748, 205, 12, 12},
    {"RANGE", ControlKind::combo, 32818, 217, 226, 50, 200},
    {"AUTO_RANGE", ControlKind::check, 32819, 323, 233, 12, 12},
    {"AR_ABOVE_HEIGHT", ControlKind::combo, 32820, 455, 226, 70, 230},
    {"AIRBORNE_ONLY", ControlKind::check, 32821, 572, 233, 12, 12},
    {"TIME_SHIFT_DAYS", ControlKind::combo, 32858, 748, 226, 45, 200},
    {"COLLISION_USER_GND", ControlKind::check, 32834, 217, 289, 12, 12},
    {"COLLISION_USER_AIR", ControlKind::check, 32833, 323, 289, 12, 12},
    {"COLLISION_LIVE_PARKED_GND", ControlKind::check, 32835, 430, 289, 12, 12},
    {"SIM_TIME", ControlKind::check, 32861, 652, 261, 12, 12},
    {"TIME_SHIFT_HOURS", ControlKind::combo, 32859, 748, 254, 45, 200},
    {"BLOCK_CALLSIGN", ControlKind::edit, 32828, 107, 259, 100, 16},
    {"Unblock", ControlKind::button, 32829, 223, 257, 60, 20},
    {"cs->oid:", ControlKind::button, 32830, 305, 257, 60, 20},
    {"CALLSIGN_2_OBJECTID", ControlKind::combo, 32831, 375, 254, 100, 300},
    {"Block", ControlKind::button, 32832, 576, 257, 60, 20},
    {"KEEP_SIM_TIME_PAR", ControlKind::check, 32862, 652, 289, 12, 12},
    {"TIME_SHIFT_MINS", ControlKind::combo, 32860, 748, 282, 45, 300},
    {"Now", ControlKind::button, 32847, 111, 313, 45, 20},
    {"MAX_PARK_SEL", ControlKind::combo, 32848, 323, 310, 55, 144},
    {"MAX_LIVE_SEL", ControlKind::combo, 32849, 536, 310, 55, 144},
    {"DESTINATION", ControlKind::edit, 32839, 217, 343, 50, 16},
    {"AIRP_RANGE", ControlKind::combo, 32840, 353, 338, 45, 144},
    {"AIRP_HEIGHT", ControlKind::combo, 32841, 566, 338, 70, 230},
    {"STRAIGHT_PBS_ONLY", ControlKind::check, 32855, 652, 317, 12, 12},
    {"INITIAL_LOAD_ONLY", ControlKind::check, 32851, 5, 373, 12, 12},
    {"WEEK", ControlKind::check, 32853, 71, 373, 12, 12},
    {"PARK_SOFT", ControlKind::check, 32852, 151, 373, 12, 12},
    {"parking_percentage", ControlKind::combo, 32850, 323, 366, 50, 200},
    {"MAX_FIT_FL", ControlKind::combo, 32854, 566, 366, 60, 300},
    {"RT_PARKTRAFFIC_ONLY", ControlKind::check, 32856, 667, 373, 12, 12},
    {"Re-read", ControlKind::button, 32838, 758, 341, 90, 20},
    {"Flush static", ControlKind::button, 32857, 758, 369, 90, 20},
};

RECT clientRect(HWND parent, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    POINT topLeft{r.left, r.top};
    POINT bottomRight{r.right, r.bottom};
    ScreenToClient(parent, &topLeft);
    ScreenToClient(parent, &bottomRight);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

TEST_F(MainWindowTest, EveryControlStandsWhereTheLayoutPutsIt)
{
    ASSERT_EQ(std::size(kControls), 48u);
    // Creation order is the order of the children (and of the tab stops).
    std::vector<int> ids;
    for (const ControlRow& row : kControls)
    {
        SCOPED_TRACE(row.name);
        HWND control = GetDlgItem(window(), row.id);
        ASSERT_NE(control, nullptr);
        const RECT r = clientRect(window(), control);
        EXPECT_EQ(r.left, row.x);
        EXPECT_EQ(r.top, row.y);
        EXPECT_EQ(r.right - r.left, row.width);
        // A closed combo box is as high as its text; its list height is the
        // drop-down's.
        if (row.kind != ControlKind::combo)
        {
            EXPECT_EQ(r.bottom - r.top, row.height);
        }
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)) & ~WS_DISABLED;
        switch (row.kind)
        {
        case ControlKind::combo:
            EXPECT_EQ(style, kComboStyle);
            EXPECT_TRUE(IsWindowEnabled(control));
            break;
        case ControlKind::check:
            EXPECT_EQ(style, kCheckStyle);
            EXPECT_TRUE(IsWindowEnabled(control));
            break;
        case ControlKind::button:
        {
            EXPECT_EQ(style, kButtonStyle);
            EXPECT_FALSE(IsWindowEnabled(control));
            std::wstring caption(32, L'\0');
            caption.resize(static_cast<std::size_t>(GetWindowTextW(control, caption.data(), 32)));
            EXPECT_EQ(gf_wideToUtf8(caption), row.name);
            break;
        }
        case ControlKind::edit:
            EXPECT_EQ(style, kEditStyle);
            EXPECT_FALSE(IsWindowEnabled(control));
            break;
        }
    }
}

TEST_F(MainWindowTest, CheckBoxesShowTheirSettingAndEditsAreSubclassed)
{
    for (const BoolParameter* box : g_boolParameters)
    {
        SCOPED_TRACE(box->name);
        EXPECT_EQ(IsDlgButtonChecked(window(), box->controlId) == BST_CHECKED, box->current.load());
    }
    for (const EditParameter* edit : {&ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION})
    {
        SCOPED_TRACE(edit->name);
        EXPECT_NE(edit->prevWndProc, nullptr);
        EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit->hwnd, GWLP_WNDPROC)), edit->prevWndProc);
    }
}

TEST_F(MainWindowTest, AButtonThatIsNotThereIgnoresEnabling)
{
    forgetControls();
    gf_enableButton(g_rereadButton, true);
    EXPECT_FALSE(gf_buttonEnabled(g_rereadButton));
}

// The window procedure passes on what the command handler does not take;
// both answer 0, so the handler's own answer is what tells them apart.
TEST_F(MainWindowTest, AnUnknownCommandGoesToTheDefaultProcedure)
{
    EXPECT_FALSE(lf_HandleWMCOMMAND(window(), MAKEWPARAM(40000, 0)));
    EXPECT_TRUE(lf_HandleWMCOMMAND(window(), MAKEWPARAM(g_flushStaticButton.controlId, 0)));
    EXPECT_EQ(command(40000), 0);
}

} // namespace
} // namespace ovr::test
