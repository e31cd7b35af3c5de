#include "core/parameters_file.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/xml.h"

#include <fmt/format.h>

#include <mutex>
#include <system_error>

namespace ovr
{

namespace
{

namespace fs = std::filesystem;

// The UI thread and the start-up thread both save settings; without one lock
// two load-edit-saves interleave and one of them loses its value.
std::mutex g_parametersFileMutex;
fs::path g_fileOverride;

fs::path lf_file()
{
    return g_fileOverride.empty() ? g_parametersFile : g_fileOverride;
}

pugi::xml_node lf_parametersNode(pugi::xml_node document)
{
    const pugi::xml_node root = document.child("root");
    return (root ? root : document).child("parameters");
}

pugi::xml_node lf_findParameter(pugi::xml_node document, std::string_view key)
{
    for (pugi::xml_node parameter : lf_parametersNode(document).children("parameter"))
    {
        if (key == parameter.attribute("name").value())
        {
            return parameter;
        }
    }
    return {};
}

std::string lf_text(bool value)
{
    return value ? "true" : "false";
}
std::string lf_text(std::int32_t value)
{
    return std::to_string(value);
}
const std::string& lf_text(const std::string& value)
{
    return value;
}

void lf_logValue(std::string_view key, bool value)
{
    gf_logUnlessQuiet(fmt::format("{}={}", key, value));
}
void lf_logValue(std::string_view key, std::int32_t value)
{
    gf_logUnlessQuiet(fmt::format("{}={}", key, value));
}
void lf_logValue(std::string_view key, const std::string& value)
{
    gf_logParameterValue(key, value);
}

bool lf_appendParameter(pugi::xml_node parameters, std::string_view key, std::string_view value)
{
    pugi::xml_node parameter = parameters.append_child("parameter");
    return parameter && gf_setXmlAttr(parameter, "name", key) && gf_setXmlAttr(parameter, "value", value);
}

// A file that exists but does not parse still holds the user's settings:
// it is kept as parameters0.xml before anything replaces it. False when it
// could not be kept, and then it must not be replaced.
enum class Then
{
    removed,
    replaced
};

bool lf_keepUnparsable(const fs::path& file, const pugi::xml_parse_result& result, Then then)
{
    if (result || result.status == pugi::status_file_not_found)
    {
        return true;
    }
    const std::string path = gf_pathToUtf8(file);
    gf_logWarning(then == Then::removed ? fmt::format("{} failed to load ({}). Saved as 0.xml and removed.",
                                                      path, result.description())
                                        : fmt::format("{} failed to load ({}). Saved as 0.xml and replaced.",
                                                      path, result.description()));
    return gf_save1GenerationOf(file);
}

void lf_saveOrWarn(pugi::xml_document& document, const fs::path& file)
{
    if (!gf_saveXmlDocument(document, file))
    {
        gf_logWarning(fmt::format("saving: {} failed", gf_pathToUtf8(file)));
    }
}

void lf_saveParametersLocked(bool defaults)
{
    const fs::path file = lf_file();
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("root");
    if (defaults)
    {
        PROGRAM_VERSION.setDefaultText(
            fmt::format("{}.{}.{}", g_version.major, g_version.minor, g_version.patch));
    }
    if (pugi::xml_node parameters = root.append_child("parameters"))
    {
        const auto add = [&](std::string_view key, const std::string& written, const auto& current)
        {
            if (!lf_appendParameter(parameters, key, written))
            {
                gf_logUnlessQuiet(
                    fmt::format("{}adding xml parameter {} with {} failed!", "===> ", key, current));
            }
            lf_logValue(key, current);
        };
        for (const BoolParameter* p : g_boolParameters)
        {
            const bool current = p->current;
            add(p->name, lf_text(defaults ? p->defaultValue : current), current);
        }
        for (const IntParameter* p : g_intParameters)
        {
            const std::int32_t current = p->current;
            add(p->name, lf_text(defaults ? p->defaultValue : current), current);
        }
        for (const IntListParameter* p : g_intListParameters)
        {
            const std::int32_t current = p->current;
            add(p->name, lf_text(defaults ? p->defaultValue : current), current);
        }
        for (const StringParameter* p : g_stringParameters)
        {
            const std::string current = p->value();
            add(p->name, defaults ? p->defaultText() : current, current);
        }
        for (const EditParameter* p : g_shownStringParameters)
        {
            const std::string current = p->value();
            add(p->name, defaults ? p->defaultText() : current, current);
        }

        pugi::xml_document old;
        if (lf_keepUnparsable(file, old.load_file(file.c_str()), Then::replaced))
        {
            lf_saveOrWarn(document, file);
        }
        else
        {
            gf_logWarning(fmt::format("saving: {} failed", gf_pathToUtf8(file)));
        }
    }
    gf_log(gf_bannerLine(70, 10, false, true, ""));
}

template <class Parameter, class Read>
void lf_readInt(pugi::xml_node document, pugi::xml_node parameters, Parameter& p, Read read)
{
    if (const std::optional<std::int32_t> value = read(document, p.name))
    {
        p.current = p.clamp(*value);
        lf_logValue(p.name, p.current.load());
        return;
    }
    p.current = p.defaultValue;
    lf_logValue(p.name, p.defaultValue);
    lf_appendParameter(parameters, p.name, lf_text(p.defaultValue));
}

void lf_readString(pugi::xml_node document, pugi::xml_node parameters, StringParameter& p)
{
    const std::optional<std::string> value = gf_readStringParameter(document, p.name);
    p.setValue(value ? *value : p.defaultText());
    const std::string current = p.value();
    lf_logValue(p.name, current);
    if (!value)
    {
        lf_appendParameter(parameters, p.name, current);
    }
}

bool lf_readParametersLocked()
{
    gf_log(gf_bannerLine(70, 0, true, false, "parameters"));
    const fs::path file = lf_file();
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(file.c_str());
    pugi::xml_node parameters;
    if (result)
    {
        gf_log(fmt::format("from '{}'", gf_pathToUtf8(file)));
        parameters = lf_parametersNode(document);
    }
    if (!parameters)
    {
        gf_log(fmt::format("{} not found, creating new with default values:", gf_pathToUtf8(file)));
        lf_saveParametersLocked(true);
        return true;
    }

    for (BoolParameter* p : g_boolParameters)
    {
        const std::optional<bool> value = gf_readBoolParameter(document, p->name);
        p->current = value.value_or(p->defaultValue);
        lf_logValue(p->name, p->current.load());
        if (!value)
        {
            lf_appendParameter(parameters, p->name, lf_text(p->current.load()));
        }
    }
    for (IntParameter* p : g_intParameters)
    {
        lf_readInt(document, parameters, *p, gf_getParameter);
    }
    for (IntListParameter* p : g_intListParameters)
    {
        lf_readInt(document, parameters, *p, gf_getParameter);
    }
    for (StringParameter* p : g_stringParameters)
    {
        lf_readString(document, parameters, *p);
    }
    for (EditParameter* p : g_shownStringParameters)
    {
        lf_readString(document, parameters, *p);
    }
    gf_saveXmlDocument(document, file);
    gf_log(gf_bannerLine(70, 10, false, true, ""));
    return false;
}

// The controls are refreshed after the file lock is released: showing a
// value waits for the UI thread, which may itself be waiting for the lock
// to save a value.
void lf_refreshControls()
{
    for (const BoolParameter* p : g_boolParameters)
    {
        gf_showParameterCheck(*p);
    }
    for (const IntListParameter* p : g_intListParameters)
    {
        gf_showParameterValue(*p);
    }
    for (const EditParameter* p : g_shownStringParameters)
    {
        gf_showParameterText(*p);
    }
}

// A file of an older layout has no `root`: it is written anew, whole, from
// the current values (which include the value being saved).
void lf_wrapParametersRoot()
{
    gf_log("\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n");
    lf_saveParametersLocked(false);
}

// The single-value save shared by the three kinds: `current` is read under
// the file lock, so the last of two concurrent saves of one setting wins.
template <class Current> void lf_saveOne(std::string_view key, Current current)
{
    bool wrapped = false;
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        const fs::path file = lf_file();
        const auto value = current();
        const std::string text = lf_text(value);
        pugi::xml_document document;
        const pugi::xml_parse_result result = document.load_file(file.c_str());
        if (!result)
        {
            pugi::xml_document fresh;
            pugi::xml_node parameters = fresh.append_child("root").append_child("parameters");
            lf_appendParameter(parameters, key, text);
            lf_logValue(key, value);
            if (lf_keepUnparsable(file, result, Then::replaced))
            {
                lf_saveOrWarn(fresh, file);
            }
            else
            {
                gf_logWarning(fmt::format("saving: {} failed", gf_pathToUtf8(file)));
            }
            return;
        }
        pugi::xml_node root = document.child("root");
        pugi::xml_node holder = root ? root : static_cast<pugi::xml_node>(document);
        pugi::xml_node parameters = holder.child("parameters");
        if (!parameters)
        {
            parameters = holder.append_child("parameters");
        }
        bool matched = false;
        for (pugi::xml_node parameter : parameters.children("parameter"))
        {
            if (key != parameter.attribute("name").value())
            {
                continue;
            }
            pugi::xml_attribute attribute = parameter.attribute("value");
            if (!attribute)
            {
                attribute = parameter.append_attribute("value");
            }
            attribute.set_value(text.c_str());
            matched = true;
        }
        if (!matched)
        {
            lf_appendParameter(parameters, key, text);
        }
        lf_logValue(key, value);
        if (root)
        {
            lf_saveOrWarn(document, file);
        }
        else
        {
            lf_wrapParametersRoot();
            wrapped = true;
        }
    }
    if (wrapped)
    {
        lf_refreshControls();
    }
}

} // namespace

std::optional<std::int32_t> gf_getParameter(pugi::xml_node document, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(document, key);
    if (!parameter)
    {
        return std::nullopt;
    }
    return parameter.attribute("value").as_int(0);
}

std::optional<bool> gf_readBoolParameter(pugi::xml_node document, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(document, key);
    if (!parameter)
    {
        return std::nullopt;
    }
    return parameter.attribute("value").as_bool(false);
}

std::optional<std::string> gf_readStringParameter(pugi::xml_node document, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(document, key);
    if (!parameter)
    {
        return std::nullopt;
    }
    return std::string(parameter.attribute("value").value());
}

bool gf_loadParametersForStartUp(pugi::xml_document& document)
{
    const std::scoped_lock lock(g_parametersFileMutex);
    const fs::path file = lf_file();
    const pugi::xml_parse_result result = document.load_file(file.c_str());
    if (result)
    {
        return true;
    }
    document.reset();
    if (result.status != pugi::status_file_not_found && lf_keepUnparsable(file, result, Then::removed))
    {
        std::error_code ec;
        fs::remove(file, ec);
    }
    return false;
}

bool gf_readParameters()
{
    bool created = false;
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        created = lf_readParametersLocked();
    }
    lf_refreshControls();
    return created;
}

void gf_saveParameters(bool defaults)
{
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        lf_saveParametersLocked(defaults);
    }
    lf_refreshControls();
}

void gf_saveParameter(const IntParameter& parameter)
{
    lf_saveOne(parameter.name, [&] { return parameter.current.load(); });
}

void gf_saveBoolSetting(const BoolParameter& parameter)
{
    lf_saveOne(parameter.name, [&] { return parameter.current.load(); });
}

void gf_writeParameter(const StringParameter& parameter)
{
    lf_saveOne(parameter.name, [&] { return parameter.value(); });
}

void gf_setParameter(StringParameter& parameter, std::string text)
{
    // Set under the file lock: a whole-file read running meanwhile cannot
    // put the old value back between the assignment and the save.
    lf_saveOne(parameter.name,
               [&]
               {
                   parameter.setValue(std::move(text));
                   return parameter.value();
               });
}

namespace detail
{

void setParametersFile(std::filesystem::path file)
{
    const std::scoped_lock lock(g_parametersFileMutex);
    g_fileOverride = std::move(file);
}

std::filesystem::path parametersFile()
{
    const std::scoped_lock lock(g_parametersFileMutex);
    return lf_file();
}

} // namespace detail

} // namespace ovr
