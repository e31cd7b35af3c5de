#include "platform/shell/message_box.h"

#include "platform/win/presenter.h"
#include "platform/win/test_support.h"
#include "platform/win/utf16.h"

#include <cstdio>
#include <mutex>

namespace ovr::shell
{
namespace
{
struct BoxLog
{
    std::mutex mutex;
    std::vector<platform_test::MessageBoxCall> boxes;
};

BoxLog& boxLog()
{
    static BoxLog log;
    return log;
}

} // namespace
} // namespace ovr::shell

std::vector<ovr::platform_test::MessageBoxCall> ovr::platform_test::messageBoxes()
{
    auto& log = ovr::shell::boxLog();
    std::lock_guard lock(log.mutex);
    return log.boxes;
}

void ovr::platform_test::clearMessageBoxes()
{
    auto& log = ovr::shell::boxLog();
    std::lock_guard lock(log.mutex);
    log.boxes.clear();
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    ovr::platform_test::MessageBoxCall box{owner, ovr::win::utf8FromPointer(text), ovr::win::utf8FromPointer(caption), type};
    if (!ovr::win::headlessForced())
    {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    }
    {
        auto& log = ovr::shell::boxLog();
        std::lock_guard lock(log.mutex);
        log.boxes.push_back(box);
    }
    switch (type & 0xF)
    {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}
