// The QNH read from a weather reply.
#include "service/weather_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ovr::test
{
namespace
{

using nlohmann::json;

struct QnhCase
{
    const char* name;
    json data;
    std::int32_t qnh;
    const char* warning; // nullptr: none
};

TEST(ExtractQnhTest, NumbersTextsAndInches)
{
    const QnhCase cases[] = {
        {"integer", json{{"QNH", 1008}}, 1008, nullptr},
        {"float_rounds_half_away", json{{"QNH", 1013.5}}, 1014, nullptr},
        {"text_of_digits", json{{"QNH", "1008"}}, 1008, nullptr},
        {"text_with_trailing_unit", json{{"QNH", "1008 hPa"}}, 1008, nullptr},
        {"inches_times_100", json{{"QNH", 2992}}, 1013, nullptr},
        {"inches_as_float", json{{"QNH", 29.92}}, 30, nullptr},
        {"low_value_unchanged_here", json{{"QNH", 850}}, 850, nullptr},
        {"text_with_a_letter_first", json{{"QNH", "Q1008"}}, 1013, "==> extractQNH: Q1008"},
        {"text_overflowing", json{{"QNH", "99999999999"}}, 1013, "==> extractQNH: 99999999999"},
        {"no_qnh_member", json{{"ICAO", "EDDF"}}, 1013, "==> No QNH found in data"},
        {"qnh_of_another_type", json{{"QNH", true}}, 1013, "==> No QNH found in data"},
        {"data_absent", json{}, 1013, "==> No QNH found in data"},
        {"data_an_array", json::array({1013}), 1013, "==> No QNH found in data"},
    };
    for (const QnhCase& c : cases)
    {
        LogCapture log;
        ReplyReader replies;
        const std::string text = R"({"status": 200, "data": )" + c.data.dump() + "}";
        const WeatherReply& reply = replies.weather(text);
        EXPECT_EQ(extractQNH(reply.data, reply.qnh), c.qnh) << c.name;
        if (c.warning != nullptr)
        {
            EXPECT_TRUE(log.contains(c.warning)) << c.name << "\n" << log.text();
        }
        else
        {
            EXPECT_FALSE(log.contains("==>")) << c.name << "\n" << log.text();
        }
    }
}

} // namespace
} // namespace ovr::test
