// Filling and enabling the window's controls of the shown settings, and
// creating the window's push buttons. These talk to existing controls only;
// the window creates the check boxes, edit boxes and combo boxes and shows
// single values through the hooks of core/parameter_controls.h.
//
// Called on the UI thread or, for the fills, on the start-up thread and the
// main loop, whose messages then wait until the UI thread has handled them.
#pragma once

#include "core/parameter.h"

#include <concepts>
#include <string_view>

namespace ovr
{

// Enables the control of a shown setting.
void lf_enableSettingControl(const WindowControl& control);

// Empty the combo box and add the allowed values (or choices) in order, then
// select the current value: nothing is selected when it is not among them.
// A control that does not exist yet is left alone.
void lf_fillListCombo(const IntListParameter& parameter);
void lf_fillChoiceCombo(const ChoiceParameter& parameter);
// MAX_FIT_FL's hours, "0.5" to "24".
void lf_fillFloatCombo(const FloatListParameter& parameter);
// CALLSIGN_2_OBJECTID from the current list of live callsigns.
void lf_fillGlobalChoiceCombo();

namespace detail
{
void createDisabledButton(std::string_view caption, WindowControl& control, HWND parent,
                          const CREATESTRUCTW& creation, int x, int width);
}

// A push button with the item's caption at (x, row), width × 20 pixels,
// created disabled; the start-up and the commands enable it later.
template <class Button>
requires std::derived_from<Button, NamedItem> && std::derived_from<Button, WindowControl>
void lf_createDisabledButton(Button& button, HWND parent, const CREATESTRUCTW& creation, int x, int width)
{
    detail::createDisabledButton(button.name, button, parent, creation, x, width);
}

} // namespace ovr
