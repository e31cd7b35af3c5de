// The program's entry on Linux: the string resources that an executable
// carries on Windows, then the Windows entry point through the platform
// layer (which keeps argv as the command line and turns SIGINT and SIGTERM
// into a close of the window).
#include "app/program_entry.h"
#include "platform/kernel/win_main.h"
#include "platform/shell/string_resources.h"

int main(int argc, char** argv)
{
    ovr::registerStringResource(101, L"Vora");
    return ovr::runWinMain(argc, argv, wWinMain);
}
