#include "platform/win/presenter.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace ovr::win
{

namespace
{
std::atomic<bool> forcedHeadless{false};

bool environmentHeadless()
{
    const char* v = std::getenv("VORA_HEADLESS");
    return v != nullptr && std::strcmp(v, "1") == 0;
}
} // namespace

void setHeadlessForced(bool forced) { forcedHeadless = forced; }

bool headlessForced() { return forcedHeadless; }

bool displayAvailable()
{
    const char* display = std::getenv("DISPLAY");
    return !forcedHeadless && !environmentHeadless() && display != nullptr && *display != '\0';
}

std::unique_ptr<Presenter> openPresenter(const PresenterSetup& setup)
{
    return displayAvailable() ? openX11Presenter(setup) : nullptr;
}

} // namespace ovr::win
