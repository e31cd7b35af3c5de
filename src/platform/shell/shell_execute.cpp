#include "platform/shell/shell_execute.h"

#include "platform/win/presenter.h"
#include "platform/win/test_support.h"
#include "platform/win/utf16.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>

extern char** environ;

namespace ovr::shell
{

namespace
{

struct ShellLog
{
    std::mutex mutex;
    std::vector<platform_test::ShellExecuteCall> calls;
    std::optional<INT_PTR> forcedResult;
};

ShellLog& shellLog()
{
    static ShellLog log;
    return log;
}


bool openerExists()
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
    {
        if (!dir.empty() && access((std::filesystem::path(dir) / "xdg-open").c_str(), X_OK) == 0)
        {
            return true;
        }
    }
    return false;
}

// Runs xdg-open in the background through a shell that exits at once, so the
// opener is never a child to wait for.
bool launchOpener(const std::string& target)
{
    const char* argv[] = {"/bin/sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", target.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
    {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

INT_PTR execute(const std::string& file)
{
    constexpr INT_PTR opened = 42; // any value above 32 means success
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
    {
        return SE_ERR_FNF;
    }
    if (!win::displayAvailable() || !openerExists())
    {
        return SE_ERR_FNF;
    }
    return launchOpener(file) ? opened : SE_ERR_FNF;
}

} // namespace

} // namespace ovr::shell

std::vector<ovr::platform_test::ShellExecuteCall> ovr::platform_test::shellExecuteCalls()
{
    auto& log = ovr::shell::shellLog();
    std::lock_guard lock(log.mutex);
    return log.calls;
}

void ovr::platform_test::setShellExecuteResult(std::optional<INT_PTR> result)
{
    auto& log = ovr::shell::shellLog();
    std::lock_guard lock(log.mutex);
    log.forcedResult = result;
    log.calls.clear();
}

HINSTANCE ShellExecuteW(HWND /*hwnd*/, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand)
{
    using namespace ovr::shell;
    ovr::platform_test::ShellExecuteCall call{ovr::win::utf8FromPointer(operation), ovr::win::utf8FromPointer(file), ovr::win::utf8FromPointer(parameters),
                                              ovr::win::utf8FromPointer(directory),
                                              showCommand, 0};
    std::optional<INT_PTR> forced;
    {
        auto& log = shellLog();
        std::lock_guard lock(log.mutex);
        forced = log.forcedResult;
    }
    call.result = forced ? *forced : execute(call.file);
    auto& log = shellLog();
    std::lock_guard lock(log.mutex);
    log.calls.push_back(call);
    return reinterpret_cast<HINSTANCE>(call.result);
}
