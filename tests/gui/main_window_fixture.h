// The real main window on the test thread: its procedure, its controls and
// the setting hooks, a parameters file and log of each test's own, and the
// window's, panels' and requests' state back at their start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "../params/parameters_fixture.h"
#include "gui/main_window_state.h"
#include "platform/win/test_support.h"
#include "platform/win/user32.h"

namespace ovr::test
{

namespace pt = ovr::platform_test;

class MainWindowTest : public ParametersFileTest
{
  protected:
    void SetUp() override;
    // A test that clicks through the X server shows the window on it.
    virtual bool onDisplay() const { return false; }
    void TearDown() override;

    HWND window() const { return window_; }
    // WM_COMMAND through the window procedure, as a control sends it.
    LRESULT command(std::uint16_t id, WORD notification = 0);
    // Chooses entry `index` of a combo box as the user does.
    void choose(const WindowControl& combo, std::size_t index);
    // Types the text into the edit and presses Enter there.
    void enter(const EditParameter& edit, std::string_view text);
    std::string status() const;
    std::string error() const;
    bool enabled(const WindowControl& control) const;
    std::string editText(const EditParameter& edit) const;
    // Repaints the whole window and returns the paint record.
    std::vector<pt::PaintCall> paint();

  private:
    HWND window_ = nullptr;
};

// Every control handle back to "not created".
void forgetControls();
// The panels, requests and window flags at the program's start.
void resetWindowState();

} // namespace ovr::test
