#include "fake-rt/fault_option.h"

#include "fake-rt/service_core.h"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <set>
#include <stdexcept>
#include <string>

namespace ovr::fakert
{

namespace
{

using nlohmann::json;

[[noreturn]] void fail(std::string_view what)
{
    throw std::runtime_error(fmt::format("fault: {}", what));
}

std::string endpointPath(const std::string& name)
{
    const std::array<std::string_view, 5> paths{kAuthPath, kDeauthPath, kTrafficPath, kNearestMetarPath,
                                                kWeatherPath};
    for (std::string_view p : paths)
    {
        if (name == p || name == p.substr(4))
        {
            return std::string(p);
        }
    }
    fail(fmt::format("unknown path \"{}\"", name));
}

int integerOf(const json& v, const char* key)
{
    if (!v.is_number_integer())
    {
        fail(fmt::format("\"{}\" must be a whole number", key));
    }
    return v.get<int>();
}

bool booleanOf(const json& v, const char* key)
{
    if (!v.is_boolean())
    {
        fail(fmt::format("\"{}\" must be true or false", key));
    }
    return v.get<bool>();
}

std::string textOf(const json& v, const char* key)
{
    if (!v.is_string())
    {
        fail(fmt::format("\"{}\" must be a text", key));
    }
    return v.get<std::string>();
}

// A command-line value as JSON: a whole number, true/false, else a text.
json valueOf(std::string_view text)
{
    int n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec == std::errc() && ptr == text.data() + text.size() && !text.empty())
    {
        return n;
    }
    if (text == "true" || text == "false")
    {
        return text == "true";
    }
    return std::string(text);
}

} // namespace

PathFault faultFromJson(const json& j)
{
    if (!j.is_object())
    {
        fail("must be an object");
    }
    static const std::set<std::string> kKeys{
        "path",    "when", "status", "message", "http", "delay_ms", "trickle_ms",     "drop",
        "garbage", "html", "raw",    "gzip",    "omit", "set",      "status_as_text", "times"};
    for (const auto& [key, value] : j.items())
    {
        if (!kKeys.contains(key))
        {
            fail(fmt::format("unknown key \"{}\"", key));
        }
    }
    if (!j.contains("path"))
    {
        fail("\"path\" is missing");
    }
    PathFault out;
    out.path = endpointPath(textOf(j.at("path"), "path"));
    Fault& f = out.fault;
    if (j.contains("when"))
    {
        const std::string when = textOf(j.at("when"), "when");
        if (when == "live")
        {
            f.when = isLiveTrafficRequest;
        }
        else if (when == "buffered")
        {
            f.when = isBufferedTrafficRequest;
        }
        else if (when == "parked")
        {
            f.when = isParkedTrafficRequest;
        }
        else
        {
            fail(fmt::format("\"when\" must be live, buffered or parked, not \"{}\"", when));
        }
    }
    if (j.contains("status"))
    {
        f.status = integerOf(j.at("status"), "status");
    }
    if (j.contains("message"))
    {
        f.message = textOf(j.at("message"), "message");
    }
    if (j.contains("http"))
    {
        f.httpStatus = integerOf(j.at("http"), "http");
        if (f.httpStatus < 100 || f.httpStatus > 599)
        {
            fail("\"http\" must be 100..599");
        }
    }
    if (j.contains("delay_ms"))
    {
        f.delay = std::chrono::milliseconds(integerOf(j.at("delay_ms"), "delay_ms"));
    }
    if (j.contains("trickle_ms"))
    {
        f.trickle = std::chrono::milliseconds(integerOf(j.at("trickle_ms"), "trickle_ms"));
    }
    if (f.delay.count() < 0 || f.trickle.count() < 0)
    {
        fail("delays must not be negative");
    }
    if (j.contains("drop"))
    {
        f.dropConnection = booleanOf(j.at("drop"), "drop");
    }
    if (j.contains("garbage"))
    {
        f.invalidJson = booleanOf(j.at("garbage"), "garbage");
    }
    if (j.contains("html") && booleanOf(j.at("html"), "html"))
    {
        f.rawBody = gatewayTimeoutPage();
        f.contentType = "text/html";
        if (f.httpStatus == 0)
        {
            f.httpStatus = 504;
        }
    }
    if (j.contains("raw"))
    {
        f.rawBody = textOf(j.at("raw"), "raw");
        f.contentType = "text/plain";
    }
    if (j.contains("gzip"))
    {
        f.gzip = booleanOf(j.at("gzip"), "gzip");
    }
    if (j.contains("omit"))
    {
        const json& omit = j.at("omit");
        if (omit.is_string())
        {
            f.omit.push_back(omit.get<std::string>());
        }
        else if (omit.is_array())
        {
            for (const json& name : omit)
            {
                f.omit.push_back(textOf(name, "omit"));
            }
        }
        else
        {
            fail("\"omit\" must be a name or a list of names");
        }
    }
    if (j.contains("set"))
    {
        if (!j.at("set").is_object())
        {
            fail("\"set\" must be an object");
        }
        f.set = j.at("set");
    }
    if (j.contains("status_as_text"))
    {
        f.statusAsText = booleanOf(j.at("status_as_text"), "status_as_text");
    }
    if (j.contains("times"))
    {
        f.times = integerOf(j.at("times"), "times");
    }
    return out;
}

PathFault faultFromSpec(std::string_view spec)
{
    const std::size_t colon = spec.find(':');
    json j = json::object();
    j["path"] = std::string(spec.substr(0, colon));
    std::string_view rest = colon == std::string_view::npos ? std::string_view{} : spec.substr(colon + 1);
    while (!rest.empty())
    {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (item.empty())
        {
            continue;
        }
        const std::size_t eq = item.find('=');
        const std::string key(item.substr(0, eq));
        if (eq == std::string_view::npos)
        {
            j[key] = true;
            continue;
        }
        const std::string_view value = item.substr(eq + 1);
        if (key == "omit")
        {
            json names = json::array();
            std::string_view left = value;
            while (!left.empty())
            {
                const std::size_t plus = left.find('+');
                names.push_back(std::string(left.substr(0, plus)));
                left = plus == std::string_view::npos ? std::string_view{} : left.substr(plus + 1);
            }
            j[key] = names;
        }
        else if (key == "message" || key == "raw" || key == "path" || key == "when")
        {
            j[key] = std::string(value);
        }
        else
        {
            j[key] = valueOf(value);
        }
    }
    return faultFromJson(j);
}

} // namespace ovr::fakert
