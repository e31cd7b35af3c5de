// A parameters file of its own for each test, every setting back at its
// default, and the control refreshes recorded instead of shown.
#pragma once

#include "core/globals.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/parameters_file_detail.h"
#include "test_support.h"

#include <pugixml.hpp>

#include <mutex>
#include <string>
#include <vector>

namespace ovr::test
{

inline void resetParametersToDefaults()
{
    for (BoolParameter* p : g_boolParameters)
    {
        p->current = p->defaultValue;
    }
    for (IntParameter* p : g_intParameters)
    {
        p->current = p->defaultValue;
    }
    for (IntListParameter* p : g_intListParameters)
    {
        p->current = p->defaultValue;
    }
    PROGRAM_VERSION.setDefaultText("");
    for (StringParameter* p : g_stringParameters)
    {
        p->setValue(p->defaultText());
    }
    for (EditParameter* p : g_shownStringParameters)
    {
        p->setValue(p->defaultText());
    }
    parking_percentage.current = parking_percentage.defaultValue;
}

// The keys of a parameters file in document order.
inline std::vector<std::string> fileKeys(const std::filesystem::path& file)
{
    pugi::xml_document doc;
    doc.load_file(file.c_str());
    std::vector<std::string> keys;
    for (pugi::xml_node p : doc.child("root").child("parameters").children("parameter"))
    {
        keys.emplace_back(p.attribute("name").value());
    }
    return keys;
}

// The keys in the order a whole-file write visits the registries.
inline std::vector<std::string> registryKeys()
{
    std::vector<std::string> keys;
    for (const BoolParameter* p : g_boolParameters)
        keys.push_back(p->name);
    for (const IntParameter* p : g_intParameters)
        keys.push_back(p->name);
    for (const IntListParameter* p : g_intListParameters)
        keys.push_back(p->name);
    for (const StringParameter* p : g_stringParameters)
        keys.push_back(p->name);
    for (const EditParameter* p : g_shownStringParameters)
        keys.push_back(p->name);
    return keys;
}

struct ShownControls
{
    std::mutex mutex;
    std::vector<std::string> keys;
    void (*onShowText)(const EditParameter&) = nullptr;
};

inline ShownControls g_shown;

class ParametersFileTest : public TempFolderTest
{
  protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        resetParametersToDefaults();
        g_stop = 0;
        g_userClosed = 0;
        detail::setParametersFile(file());
        {
            const std::scoped_lock lock(g_shown.mutex);
            g_shown.keys.clear();
            g_shown.onShowText = nullptr;
        }
        gf_setParameterControlHooks({
            .showCheck = [](const BoolParameter& p) { record(p.name); },
            .showValue = [](const IntListParameter& p) { record(p.name); },
            .showText =
                [](const EditParameter& p)
            {
                record(p.name);
                if (g_shown.onShowText != nullptr)
                    g_shown.onShowText(p);
            },
        });
    }

    void TearDown() override
    {
        gf_setParameterControlHooks({});
        detail::setParametersFile({});
        resetParametersToDefaults();
        g_stop = 0;
        g_userClosed = 0;
        TempFolderTest::TearDown();
    }

    static void record(const std::string& key)
    {
        const std::scoped_lock lock(g_shown.mutex);
        g_shown.keys.push_back(key);
    }

    std::vector<std::string> shown() const
    {
        const std::scoped_lock lock(g_shown.mutex);
        return g_shown.keys;
    }

    std::filesystem::path file() const { return dir() / "parameters.xml"; }

    void writeParameters(std::string_view body)
    {
        writeFile(file(), std::string("<?xml version=\"1.0\"?>\n<root><parameters>") + std::string(body) +
                              "</parameters></root>\n");
    }

    // The value of the first element of that key in the file, or "<none>".
    std::string fileValue(std::string_view key) const
    {
        pugi::xml_document doc;
        doc.load_file(file().c_str());
        return gf_readStringParameter(doc, key).value_or("<none>");
    }

    bool logHas(std::string_view text) const { return logText().find(text) != std::string::npos; }
};

} // namespace ovr::test
