// The child controls of the shown settings: creating the check boxes and the
// subclassed edit boxes, and showing a current value or text in a control.
// Creation runs on the UI thread; showing also runs on the start-up thread
// and the main loop, whose messages then wait for the UI thread.
#pragma once

#include "core/parameter.h"

namespace ovr
{

// A 12 x 12 check box at (x, row + 2) showing the current value, enabled.
// The window toggles it itself (BS_CHECKBOX), after the setting changed.
void lf_createSettingCheckbox(BoolParameter& parameter, HWND parent, const CREATESTRUCTW& creation, int x);

// An edit box at (x, row), width x 16, subclassed with `procedure` (the
// previous procedure is kept in the parameter) and disabled until the
// start-up enables it.
void lf_createSettingEdit(EditParameter& parameter, HWND parent, const CREATESTRUCTW& creation, int x,
                          int width, WNDPROC procedure);

// The current number or text as the control's text; the options area is
// repainted. A control that is not there logs "GetDlgItem failed for ID {}".
void gf_showCtrlValue(const IntListParameter& parameter);
void gf_showCtrlText(const EditParameter& parameter);

// Lets the settings code show values in these controls from now on.
void gf_installSettingControlHooks();

} // namespace ovr
