// What the liveries scan asks of the main window when it finds no AI
// package: show the user the folder of parameters.xml and of the manual.
// The window is a floor above, so the program hands these over at start;
// unset (in tools and tests without a window), nothing is shown.
#pragma once

namespace ovr
{

struct ScanWindow
{
    bool (*openParametersFolder)() = nullptr; // lf_openParametersFolder
    bool (*openManual)() = nullptr;           // lf_openManual
};

// Called once at start, before the start-up thread scans.
void gf_setScanWindow(const ScanWindow& window);
const ScanWindow& gf_scanWindow();

} // namespace ovr
