// The main window's inner operations that the tests call directly: reading
// the controls, the edits' procedure, and the painter's text helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/parameter.h"
#include "platform/win/gdi32.h"
#include "platform/win/user32.h"

namespace ovr
{

// The list index and text of the entry chosen in combo box `id`: only for
// a CBN_SELCHANGE of that id whose control exists and has a selection.
std::optional<std::pair<std::size_t, std::string>> lf_comboSelection(HWND window, std::uint16_t id,
                                                                     WPARAM wParam);

// The UTF-8 text of the main window's control `id`; empty when the control
// is missing, has no text or does not convert.
std::string lf_getTextFromId(std::uint16_t id);

// The procedure of the three subclassed edits: Enter applies the typed
// text of `parameter`; everything else goes to the edit's own procedure.
LRESULT lf_editSubclassProc(EditParameter& parameter, HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam);

// No right end for a drawn text.
inline constexpr int kNoClip = 2147483647;

// Draws UTF-8 text in `colour` and restores the text colour it found, which
// it returns. Only the characters that end at or before column `right` are
// drawn. A text that does not convert is logged (once for each text) and
// drawn with replacement characters.
COLORREF lf_textOutUtf8(HDC dc, int x, int y, std::string_view text, COLORREF colour, int right = kNoClip);
// A label: black when enabled, grey when not.
COLORREF lf_labelText(HDC dc, int x, int y, std::string_view text, bool enabled);

namespace detail
{
// The automatic range in NM for the user on the ground or at an altitude
// (feet) and a distance (NM) to the first park airport.
std::int32_t autoRangeFor(bool onGround, double altitudeFt, double distanceNm);
} // namespace detail

} // namespace ovr
