#include "core/flight_text.h"

#include <gtest/gtest.h>

#include "core/code_pool.h"

namespace ovr
{
namespace
{

FlightBase makeFlight(std::string_view airline, std::string_view second, std::string_view model, bool mark,
                      bool cargo)
{
    FlightBase f;
    f.key.airline = gf_airlineId(airline);
    f.key.secondAirline = second.empty() ? 0 : gf_airlineId(second);
    f.key.model = gf_modelId(model);
    f.key.mark = mark ? 1 : 0;
    f.key.cargo = cargo ? 1 : 0;
    return f;
}

TEST(FlightText, TypeTextFields)
{
    gf_airlineId(""); // id 0 is the empty code, as the model database arranges
    gf_modelId("");
    struct Case
    {
        std::string_view airline, second, model;
        bool mark, cargo;
        std::string_view expected;
    } const cases[] = {
        {"KLM", "", "B744", true, true, "KLM     B744.(C)"},
        {"KLM", "", "B744", false, false, "KLM     B744    "},
        {"KLM", "MPH", "B744", false, true, "KLM,MPH B744 (C)"},
        {"PVT", "", "C17", false, false, "PVT     C17     "},
        // never cut: a long second code pushes the rest right
        {"AB", "ABCDE", "B7378", false, false, "AB ,ABCDE B7378    "},
        // padded by columns, not bytes: a wide character takes two
        {"\u00c4B", "", "B744", false, false, "\u00c4B      B744    "},
        {"\u65e5", "\u65e5\u672c", "B744", false, false, "\u65e5 ,\u65e5\u672c B744    "},
        {"KLM", "\u00c4", "\u00c4", false, false, "KLM,\u00c4   \u00c4       "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_flightTypeText(makeFlight(c.airline, c.second, c.model, c.mark, c.cargo).key),
                  c.expected)
            << c.expected;
}

TEST(FlightText, IdsOutsideThePoolsReadAsBlanks)
{
    FlightKey key;
    key.airline = 65000;
    key.model = 65001;
    EXPECT_EQ(gf_flightTypeText(key), "        "
                                      "    "
                                      "    ");
}

TEST(FlightText, RouteTexts)
{
    EXPECT_EQ(gf_routeText(FixedCode<3>("AMS"), FixedCode<3>("LHR")), "AMS->LHR");
    EXPECT_EQ(gf_routeText(FixedCode<3>("AMS"), {}), "AMS->   ");
    EXPECT_EQ(gf_routeText({}, FixedCode<3>("LHR")), "   ->LHR");
    EXPECT_EQ(gf_routeText({}, {}), "        ");
}

TEST(FlightText, FlightLines)
{
    FlightBase f = makeFlight("KLM", "", "B744", false, false);
    f.callsign = "KLM123";
    f.registration = "PH-BFA";
    f.origin = FixedCode<3>("AMS");
    f.destination = FixedCode<3>("JFK");
    EXPECT_EQ(gf_callsignText(f), "KLM123  ");
    EXPECT_EQ(gf_routeCallsignText(f), "KLM123   PH-BFA       AMS->JFK");
    EXPECT_EQ(gf_flightText(f), "KLM     B744     KLM123   PH-BFA       AMS->JFK");
    std::string target = "old";
    EXPECT_EQ(gf_flightTextInto(f, target), gf_flightText(f));
    EXPECT_EQ(gf_flightText3(f), "KLM123   PH-BFA KLM     B744    ");
    EXPECT_EQ(gf_modelKeyText(f), "KLM     B744     PH-BFA");
}

// The livery match writes its line onto a buffer it keeps: the appended
// text is the flight text, whatever the buffer held and however long the
// fields run.
TEST(FlightText, AppendedFlightTextIsTheFlightText)
{
    FlightBase plain = makeFlight("KLM", "", "B744", false, false);
    FlightBase full = makeFlight("AB", "ABCDE", "B7378", true, true);
    full.callsign = "ABCDEFGHIJ";
    full.registration = "PH-BFAXYZ12345";
    full.origin = FixedCode<3>("AMS");
    FlightBase routeOnly = makeFlight("DLH", "CLH", "A321", false, false);
    routeOnly.destination = FixedCode<3>("FRA");
    FlightBase wide = makeFlight("\u00c4B", "", "B744", false, false);
    wide.callsign = "\u00c4B123";
    wide.registration = "\u65e5\u672c-1";
    for (const FlightBase* f : {&plain, &full, &routeOnly, &wide})
    {
        std::string line = "          ";
        EXPECT_EQ(gf_appendFlightText(*f, line), "          " + gf_flightText(*f));
        EXPECT_EQ(gf_flightText(*f), gf_flightTypeText(f->key) + " " + gf_routeCallsignText(*f));
    }
    EXPECT_EQ(gf_flightText(full), "AB ,ABCDE B7378.(C) ABCDEFGHIJ PH-BFAXYZ12345 AMS->   ");
    EXPECT_EQ(gf_flightText(wide), "\u00c4B      B744     \u00c4B123    \u65e5\u672c-1               ");
}

TEST(FlightText, RealRegistrations)
{
    const std::pair<std::string_view, bool> cases[] = {
        {"", false},      {"@@@@@@@@", false}, {"PH-BFAXYZ", false},
        {"PH-BFA", true}, {"N12345AB", true},  {"@", true},
    };
    for (auto [registration, real] : cases)
        EXPECT_EQ(gf_isRealRegistration(registration), real) << registration;
}

TEST(FlightText, AirlineFromCallsign)
{
    const std::pair<std::string_view, std::optional<std::string>> cases[] = {
        {"klm1234", "KLM"},    {"KLM1", "KLM"},          {"KLMX12", std::nullopt}, {"N123AB", std::nullopt},
        {"KL1", std::nullopt}, {"K2M123", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [callsign, airline] : cases)
        EXPECT_EQ(gf_airlineFromCallsign(callsign), airline) << callsign;
}

} // namespace
} // namespace ovr
