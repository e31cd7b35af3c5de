// How the settings code shows values in the window's controls. The window
// layer installs the three functions when it creates its controls; until
// then (and in tools and tests without a window) showing does nothing.
// They are called without any settings lock held, because they wait for the
// UI thread.
#pragma once

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
};

void gf_setParameterControlHooks(const ParameterControlHooks& hooks);

void gf_showParameterCheck(const BoolParameter& parameter);
void gf_showParameterValue(const IntListParameter& parameter);
void gf_showParameterText(const EditParameter& parameter);

} // namespace ovr
