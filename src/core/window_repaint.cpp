#include "core/window_repaint.h"

#include <atomic>

namespace ovr
{

namespace
{

std::atomic<RepaintHook> g_repaintHook{nullptr};

void lf_request(WindowPart part)
{
    if (RepaintHook hook = g_repaintHook.load())
    {
        hook(part);
    }
}

} // namespace

void gf_setRepaintHook(RepaintHook hook)
{
    g_repaintHook.store(hook);
}

void gf_repaintMainWindow()
{
    lf_request(WindowPart::whole);
}

void gf_repaintStatusPanel()
{
    lf_request(WindowPart::topPanel);
}

} // namespace ovr
