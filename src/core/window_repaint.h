// Asking the main window to show published values anew. What the window
// shows lives with the code that writes it (small snapshot structs and
// SharedValue cells in that code's own folder); after a change the writer
// asks for a repaint here, and the window reads the values when it paints.
// The window layer installs the hook; until then, and in tools and tests
// without a window, a request does nothing. Any thread.
#pragma once

namespace ovr
{

// The parts of the main window that a request names.
enum class WindowPart
{
    whole,    // the whole window
    topPanel, // the simulator, service and reader panel at the top
};

using RepaintHook = void (*)(WindowPart part);
void gf_setRepaintHook(RepaintHook hook);

// The whole main window, erased first.
void gf_repaintMainWindow();
// The top panel, where the readers' indicators, the login and the QNH are
// shown, erased first.
void gf_repaintStatusPanel();

} // namespace ovr
