#include "core/parameters_file.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/xml.h"

#include <fmt/format.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
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
// Set once this process has read the file into the settings.
std::atomic<bool> g_parametersRead{false};

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

// The file as loaded. Whether it is missing is decided by the file system:
// the loader reports any file it cannot open (no permission, an I/O error)
// as not found, and such a file still holds the user's settings.
struct Loaded
{
    bool ok = false;
    bool missing = false;
    std::string reason; // why an existing file could not be used
};

Loaded lf_load(pugi::xml_document& document, const fs::path& file)
{
    Loaded loaded;
    const pugi::xml_parse_result result = document.load_file(file.c_str());
    if (result)
    {
        loaded.ok = true;
        return loaded;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
    {
        loaded.missing = true;
        return loaded;
    }
    if (result.status != pugi::status_file_not_found)
    {
        loaded.reason = result.description();
        return loaded;
    }
    if (ec)
    {
        loaded.reason = ec.message();
        return loaded;
    }
    // It exists but could not be opened: ask once more for the reason.
    errno = 0;
    std::FILE* opened = gf_openFile(file, "rb");
    const int error = errno;
    if (opened != nullptr)
        std::fclose(opened);
    loaded.reason = error != 0 ? std::generic_category().message(error) : "cannot be opened";
    return loaded;
}

// A file that exists but cannot be loaded still holds the user's settings:
// it is kept as parameters0.xml before anything replaces it. False when it
// could not be kept, and then it must not be replaced.
enum class Then
{
    removed,
    replaced
};

bool lf_keepUnparsable(const fs::path& file, const Loaded& loaded, Then then)
{
    if (loaded.ok || loaded.missing)
    {
        return true;
    }
    const std::string path = gf_pathToUtf8(file);
    gf_logWarning(then == Then::removed ? fmt::format("{} failed to load ({}). Saved as 0.xml and removed.",
                                                      path, loaded.reason)
                                        : fmt::format("{} failed to load ({}). Saved as 0.xml and replaced.",
                                                      path, loaded.reason));
    if (gf_save1GenerationOf(file))
        return true;
    gf_logWarning(fmt::format("{} could not be kept and is left as it is", path));
    return false;
}

// A file of the older layout has its parameters at the top: they go under a
// new `root` as they are, every value of the file kept.
void lf_wrapInRoot(pugi::xml_document& document)
{
    if (document.child("root"))
        return;
    gf_log("\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n");
    pugi::xml_document wrapped;
    pugi::xml_node root = wrapped.append_child("root");
    for (pugi::xml_node child : document.children())
        root.append_copy(child);
    document.reset(wrapped);
}

void lf_saveOrWarn(pugi::xml_document& document, const fs::path& file)
{
    if (!gf_saveXmlDocument(document, file))
    {
        gf_logWarning(fmt::format("saving: {} failed", gf_pathToUtf8(file)));
    }
}

// True when the file was written.
bool lf_saveParametersLocked(bool defaults)
{
    bool saved = false;
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
        if (lf_keepUnparsable(file, lf_load(old, file), Then::replaced))
        {
            lf_saveOrWarn(document, file);
            saved = true;
        }
        else
        {
            gf_logWarning(fmt::format("saving: {} failed", gf_pathToUtf8(file)));
        }
    }
    gf_log(gf_bannerLine(70, 10, false, true, ""));
    return saved;
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
    gf_removeLeftoverTemporary(file);
    pugi::xml_document document;
    const Loaded loaded = lf_load(document, file);
    pugi::xml_node parameters;
    if (loaded.ok)
    {
        gf_log(fmt::format("from '{}'", gf_pathToUtf8(file)));
        parameters = lf_parametersNode(document);
    }
    if (!loaded.ok && !loaded.missing)
    {
        // An existing file that cannot be loaded is replaced by the defaults
        // only once it is kept; else it is left alone and the session goes on
        // with the values it has.
        gf_log(fmt::format("{} cannot be read ({}), creating new with default values:", gf_pathToUtf8(file),
                           loaded.reason));
        return lf_saveParametersLocked(true);
    }
    if (!parameters)
    {
        gf_log(fmt::format("{} not found, creating new with default values:", gf_pathToUtf8(file)));
        return lf_saveParametersLocked(true);
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
    lf_saveOrWarn(document, file);
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

// The single-value save shared by the three kinds: `current` is read under
// the file lock, so the last of two concurrent saves of one setting wins.
template <class Current> void lf_saveOne(std::string_view key, Current current)
{
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        const fs::path file = lf_file();
        const auto value = current();
        const std::string text = lf_text(value);
        pugi::xml_document document;
        const Loaded loaded = lf_load(document, file);
        if (!loaded.ok)
        {
            pugi::xml_document fresh;
            pugi::xml_node parameters = fresh.append_child("root").append_child("parameters");
            lf_appendParameter(parameters, key, text);
            lf_logValue(key, value);
            if (lf_keepUnparsable(file, loaded, Then::replaced))
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
        lf_wrapInRoot(document);
        lf_saveOrWarn(document, file);
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
    const Loaded loaded = lf_load(document, file);
    if (loaded.ok)
    {
        return true;
    }
    document.reset();
    if (!loaded.missing && lf_keepUnparsable(file, loaded, Then::removed))
    {
        std::error_code ec;
        fs::remove(file, ec);
    }
    return false;
}

bool gf_parametersRead()
{
    return g_parametersRead.load();
}

bool gf_readParameters()
{
    bool created = false;
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        created = lf_readParametersLocked();
    }
    g_parametersRead.store(true);
    lf_refreshControls();
    return created;
}

void gf_saveParameters(bool defaults)
{
    {
        const std::scoped_lock lock(g_parametersFileMutex);
        (void)lf_saveParametersLocked(defaults);
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

void setParametersRead(bool read)
{
    g_parametersRead.store(read);
}

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
