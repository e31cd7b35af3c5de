#include "traffic/parking_window.h"

namespace ovr
{

namespace
{

ParkingWindow g_window;

} // namespace

void gf_setParkingWindow(const ParkingWindow& window)
{
    g_window = window;
}

const ParkingWindow& gf_parkingWindow()
{
    return g_window;
}

} // namespace ovr
