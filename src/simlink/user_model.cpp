// The user aircraft's title and model (requests 106 and 107), and from the
// model its half wingspan and category. The model text ("ATC MODEL") is
// often not a plain type designator: some aircraft give a full name, a
// localisation key ending in ".0.text" or a "$$:" prefix, so a few fix-ups
// come first; a size the model table does not know is taken from the title
// for a few known aircraft, else the largest wingspan stands in for it.
#include <array>
#include <exception>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

namespace
{

constexpr std::size_t kMaxTitleChars = 48;
constexpr std::int32_t kErrorNoUserAircraft = 73;
constexpr std::string_view kTextKey = ".0.text";

constexpr std::array<std::string_view, 6> kCategoryNames{"Light", "Buzjets",  "Large",
                                                         "Heavy", "HighPerf", "Rotorcraft"};

struct ModelFix
{
    std::string_view from;
    std::string_view to;
};

constexpr std::array kExactFixes{
    ModelFix{"A350-900", "A359"},
    ModelFix{"N738B", "B38M"},
    ModelFix{"777", "772"},
    ModelFix{"A330-200 (RR)", "A332"},
};

// "737" says nothing about the variant; these titles do.
constexpr std::array kDg737Fixes{
    ModelFix{"DG 737-800", "B738"},
    ModelFix{"DG 737-700", "B737"},
    ModelFix{"DG 737-600", "B736"},
    ModelFix{"DG 737-900", "B739"},
};

constexpr std::array kTitleModels{
    ModelFix{"Aerosoft A319", "A319"},
    ModelFix{"Aerosoft A320", "A320"},
    ModelFix{"Aerosoft A321", "A321"},
};

// The first 48 characters (UTF-8 sequences kept whole).
std::string lf_firstChars(std::string_view text, std::size_t count)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (lead && chars++ == count)
        {
            return std::string(text.substr(0, i));
        }
    }
    return std::string(text);
}

double lf_halfSpan(std::string_view model)
{
    return gf_wingspanOf(gf_modelId(model));
}

// A model the table cannot size counts as the largest one.
double lf_halfSpanOrMax(std::string_view model)
{
    const double span = lf_halfSpan(model);
    return span != 0.0 ? span : g_maxWingSpan;
}

void lf_storeHalfSpan(double span)
{
    g_userHalfWingspan.store(span);
    g_userHalfWingspanSet.exchange(1);
}

void lf_showWingspanKnown(bool known)
{
    g_wingspanKnownShown.exchange(known ? 1 : 0);
    gf_repaintMainWindow();
}

std::string lf_fixedModel(const std::string& model)
{
    for (const ModelFix& fix : kExactFixes)
    {
        if (model == fix.from)
        {
            return std::string(fix.to);
        }
    }
    if (const std::size_t key = model.find(kTextKey); key != std::string::npos)
    {
        for (std::size_t n = 4; n >= 2; --n)
        {
            if (key >= n && lf_halfSpan(std::string_view(model).substr(key - n, n)) != 0.0)
            {
                return model.substr(key - n, n);
            }
        }
        return model;
    }
    if (model.starts_with("$$:") && model.size() >= 5)
    {
        return model.substr(3);
    }
    if (model == "737")
    {
        for (const ModelFix& fix : kDg737Fixes)
        {
            if (g_userTitle.find(fix.from) != std::string::npos)
            {
                return std::string(fix.to);
            }
        }
    }
    return model;
}

void lf_handleModel(std::string model)
{
    if (model.empty())
    {
        gf_setUserAircraftText("Unknown (encrypted?) aircraft");
        gf_repaintMainWindow();
        gf_setStatus(
            "171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead", true);
        lf_storeHalfSpan(lf_halfSpanOrMax("CRJ7"));
        return;
    }
    gf_logContinuation(fmt::format("model raw: {}", model));
    model = lf_fixedModel(model);
    std::string line = "SimConnect: User aircraft model: " + model;

    if (model.find("camerapod") != std::string::npos || model.find("Crew Vessel") != std::string::npos)
    {
        lf_showWingspanKnown(true);
        lf_storeHalfSpan(lf_halfSpanOrMax("E190"));
        g_userCategory.store(0);
        gf_logContinuation(line);
        return;
    }

    // Only a designator (fewer than five characters) is looked up; a size
    // the table lacks is unknown, whatever the model.
    double span = model.size() < 5 ? lf_halfSpan(model) : 0.0;
    if (span == 0.0 && g_userTitle.size() >= 13)
    {
        const std::string_view head = std::string_view(g_userTitle).substr(0, 13);
        for (const ModelFix& deduced : kTitleModels)
        {
            if (head == deduced.from)
            {
                model = deduced.to;
                line = "SimConnect: User aircraft model deduced from title: " + model;
                span = lf_halfSpan(model);
                g_userModelFromTitle.exchange(1);
                break;
            }
        }
    }
    lf_storeHalfSpan(span != 0.0 ? span : g_maxWingSpan);
    if (span != 0.0)
    {
        lf_showWingspanKnown(true);
        line += fmt::format(", half wing span: {:.1F} meter", span * 1852.0);
    }
    else
    {
        lf_showWingspanKnown(false);
        gf_setStatus("User aircraft wing span unknown, max is taken instead, please report in my Forum!",
                     true);
    }

    const int category = gf_categoryOfModel(gf_modelId(model));
    g_userCategory.store(category);
    if (category >= 0 && static_cast<std::size_t>(category) < kCategoryNames.size())
    {
        line += fmt::format(", category: {}", kCategoryNames[static_cast<std::size_t>(category)]);
    }
    gf_logContinuation(line);
}

} // namespace

void lf_onUserAcTitle(std::string_view received)
{
    if (received.empty())
    {
        gf_log("! Title of your aircraft is empty?");
        return;
    }
    const std::string title = lf_firstChars(received, kMaxTitleChars);
    if (title == g_userTitle)
    {
        return;
    }
    gf_setUserAircraftText(title);
    gf_repaintMainWindow();
    g_userTitle = title;
    gf_logContinuation("SimConnect: User aircraft title: " + title);
}

void lf_onUserAcModel(std::string_view model)
{
    try
    {
        lf_handleModel(std::string(model));
    }
    catch (const UserErrorException&)
    {
        throw;
    }
    catch (...)
    {
        throw UserErrorException(kErrorNoUserAircraft,
                                 "It looks like you have not selected an aircraft as user vehicle");
    }
}

} // namespace ovr
