// The parts of the request frame that need no service: form values, the
// write callback, reply fields and the interruptible wait.
#include "service/reply_fields.h"
#include "service/reply_reader.h"
#include "service/rt_connection.h"
#include "service/web_request.h"
#include "service/web_request_detail.h"
#include "service_test_support.h"

#include <gsl/gsl>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace ovr::test
{
namespace
{

using nlohmann::json;

TEST(FormValueTest, EscapesAllButUnreservedCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"RT+DEMO&PRO=0004", "RT%2BDEMO%26PRO%3D0004"},
        {"52.44", "52.44"},
        {"-0.12", "-0.12"},
        {"Vora_12.5.5", "Vora_12.5.5"},
        {"a~b", "a~b"},
        {"5f0c-1a", "5f0c-1a"},
        {"a b/c?", "a%20b%2Fc%3F"},
        {"\xC3\xA9", "%C3%A9"},
        {"", ""},
    };
    for (const auto& [plain, escaped] : cases)
    {
        EXPECT_EQ(gf_formValue(plain), escaped) << plain;
    }
}

TEST(CallbackWriterTest, AppendsOrRefuses)
{
    char data[] = "abcdef";
    EXPECT_EQ(detail::lf_callbackwriter(data, 1, 3, nullptr), 0u);
    std::string target = "x";
    EXPECT_EQ(detail::lf_callbackwriter(data, 2, 3, &target), 6u);
    EXPECT_EQ(target, "xabcdef");
    // The room the reply reader parses in place with, whatever the growth.
    for (int i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(detail::lf_callbackwriter(data, 1, 6, &target), 6u);
        ASSERT_GE(target.capacity() - target.size(), kReplyPadding) << target.size();
    }
}

TEST(ReplyFieldsTest, NumbersAndTexts)
{
    // The head of a reply read whole: "status" a number, "rrl" a float,
    // "message" a text, "wrrl" null.
    ReplyReader replies;
    const ReplyHead& reply = replies.weather(
        R"({"status": 200, "rrl": 1500.9, "message": "ok", "wrrl": null, "other": [1, {"a": "b"}]})");
    EXPECT_NO_THROW(gf_requireObject(reply.kind));
    EXPECT_EQ(gf_replyInt(reply.status, "status", 100), 200);
    EXPECT_EQ(gf_replyInt(reply.data, "missing", 100), 100);
    EXPECT_EQ(gf_replyInt(reply.rrl, "rrl", 2000), 1500);
    EXPECT_THROW(gf_replyInt(ReplyValue::ofText("406"), "text", 100), std::invalid_argument);
    ReplyValue flag;
    flag.kind = ReplyValue::Kind::boolean;
    EXPECT_THROW(gf_replyInt(flag, "flag", 100), std::invalid_argument);
    // The service sends null for a value it does not have: absent, not an error.
    EXPECT_EQ(gf_replyInt(reply.wrrl, "nothing", 100), 100);
    EXPECT_EQ(gf_replyText(reply.wrrl, "nothing"), "");
    EXPECT_THROW(gf_replyInt(ReplyValue::ofInteger(3000000000), "big", 100), gsl::narrowing_error);
    EXPECT_THROW(gf_requireObject(replies.weather("[1]").kind), std::invalid_argument);
    EXPECT_THROW(replies.weather(R"({"status": 200} x)"), ReplyNotJson);
    EXPECT_THROW(replies.weather(R"({"status": 200, "a": [1, tru]})"), ReplyNotJson);
    const ReplyHead& again = replies.weather(R"({"status": 200, "rrl": 1500.9, "message": "ok"})");
    EXPECT_EQ(gf_replyText(again.message, "message"), "ok");
    EXPECT_EQ(gf_replyText(again.data, "missing"), "");
    EXPECT_THROW(gf_replyText(again.status, "status"), std::invalid_argument);
    EXPECT_EQ(gf_replyTextIfText(again.status), "");
    EXPECT_EQ(gf_replyIntegerIfInteger(again.status), 200);
    EXPECT_EQ(gf_replyIntegerIfInteger(again.rrl), std::nullopt);
    EXPECT_EQ(gf_replyIntegerIfInteger(again.message), std::nullopt);
    EXPECT_EQ(gf_replyHead(std::string(300, 'x')), std::string(256, 'x') + "...");
    EXPECT_EQ(gf_replyHead("a\nb\x01"), "a\\x0ab\\x01");
}

class WaitTest : public testing::Test
{
  protected:
    LogCapture m_log;
    RtConnection m_connection;
};

TEST_F(WaitTest, ZeroAndStoppedReturnAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    m_connection.wait(0);
    m_connection.wait(-5);
    m_connection.stopFlag.store(true);
    m_connection.wait(60000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(WaitTest, StopRequestEndsAWaitEarly)
{
    std::thread stopper(
        [this]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            m_connection.requestStop();
        });
    const auto start = std::chrono::steady_clock::now();
    m_connection.wait(60000);
    const auto waited = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_TRUE(m_connection.stopFlag.load());
}

TEST_F(WaitTest, ShortWaitsRunTheirTime)
{
    const auto start = std::chrono::steady_clock::now();
    m_connection.wait(3);
    m_connection.wait(41);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(44));
}

TEST_F(WaitTest, ResetStartsANewSession)
{
    m_connection.guid = "abc";
    m_connection.stopFlag.store(true);
    m_connection.ended.store(true);
    m_connection.toffset.store(60);
    m_connection.rrl.store(500);
    m_connection.reset();
    EXPECT_EQ(m_connection.guid, "");
    EXPECT_FALSE(m_connection.stopFlag.load());
    EXPECT_FALSE(m_connection.ended.load());
    EXPECT_EQ(m_connection.toffset.load(), 0);
    EXPECT_EQ(m_connection.rrl.load(), 2000);
}

} // namespace
} // namespace ovr::test
