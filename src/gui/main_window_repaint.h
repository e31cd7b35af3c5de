// Repainting the whole main window (with erasing) after a shown value
// changed; callable from any thread.
#pragma once

namespace ovr
{

void gf_repaintMainWindow();

} // namespace ovr
