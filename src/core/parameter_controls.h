// How the settings code reaches the window's controls: shows values, enables
// and selects. The window layer installs the functions when it creates its
// controls; until then (and in tools and tests without a window) this does
// nothing. The code below the window never talks to a control itself.
// They are called without any settings lock held, because they wait for the
// UI thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/parameter.h"

namespace ovr
{

struct ParameterControlHooks
{
    // Sets the check box to the current value (BM_SETCHECK).
    void (*showCheck)(const BoolParameter&) = nullptr;
    // Shows the current number in the combo box (gf_showCtrlValue).
    void (*showValue)(const IntListParameter&) = nullptr;
    // Shows the current text in the control (gf_showCtrlText).
    void (*showText)(const EditParameter&) = nullptr;
    // Enables or disables the control.
    void (*enable)(const WindowControl&, bool) = nullptr;
    // Selects entry `index` of the combo box (CB_SETCURSEL).
    void (*select)(const WindowControl&, std::size_t index) = nullptr;
};

void gf_setParameterControlHooks(const ParameterControlHooks& hooks);

void gf_showParameterCheck(const BoolParameter& parameter);
void gf_showParameterValue(const IntListParameter& parameter);
void gf_showParameterText(const EditParameter& parameter);
void gf_enableParameterControl(const WindowControl& control, bool enable);
void gf_selectParameterEntry(const WindowControl& control, std::size_t index);

// Controls that are no setting (buttons) are named by their child-window id.
// The window layer installs the function that enables one; a control that
// does not exist is left alone.
inline constexpr std::uint16_t kTbloZipControlId = 32804;
using ControlEnableHook = void (*)(std::uint16_t controlId, bool enable);
void gf_setControlEnableHook(ControlEnableHook hook);
void gf_enableControl(std::uint16_t controlId, bool enable);

} // namespace ovr
