#include "scanners/scan_window.h"

namespace ovr
{

namespace
{

ScanWindow g_window;

} // namespace

void gf_setScanWindow(const ScanWindow& window)
{
    g_window = window;
}

const ScanWindow& gf_scanWindow()
{
    return g_window;
}

} // namespace ovr
