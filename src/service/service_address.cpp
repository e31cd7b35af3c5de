#include "service/service_address.h"

#include "service/service_address_detail.h"

#include <cstdlib>
#include <mutex>

namespace ovr
{

namespace
{

constexpr const char* kPublicApiBase = "https://rtwa.flyrealtraffic.com";

std::mutex g_addressMutex;

std::string lf_withoutTrailingSlash(std::string base)
{
    while (!base.empty() && base.back() == '/')
    {
        base.pop_back();
    }
    return base;
}

std::string lf_environment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

std::string& lf_base()
{
    static std::string base = lf_withoutTrailingSlash(lf_environment("VORA_RT_API_BASE", kPublicApiBase));
    return base;
}

std::string& lf_licence()
{
    static std::string licence = lf_environment("VORA_RT_LICENSE", "");
    return licence;
}

} // namespace

std::string gf_rtApiBase()
{
    const std::scoped_lock lock(g_addressMutex);
    return lf_base();
}

std::string gf_rtLicence()
{
    const std::scoped_lock lock(g_addressMutex);
    return lf_licence();
}

namespace detail
{

void setRtApiBase(std::string base)
{
    const std::scoped_lock lock(g_addressMutex);
    lf_base() = lf_withoutTrailingSlash(std::move(base));
}

void setRtLicence(std::string licence)
{
    const std::scoped_lock lock(g_addressMutex);
    lf_licence() = std::move(licence);
}

} // namespace detail

} // namespace ovr
