#include "platform/kernel/win_main.h"

#include "platform/kernel/close_signals.h"
#include "platform/shell/command_line.h"
#include "platform/win/user32.h"

namespace ovr
{

int runWinMain(int argc, char** argv, WinMainFunction entry)
{
    shell::setCommandLine(argc, argv);
    kernel::installCloseSignals();
    std::wstring tail = shell::commandLineTail();
    return entry(GetModuleHandleW(nullptr), nullptr, tail.data(), SW_SHOWDEFAULT);
}

} // namespace ovr
