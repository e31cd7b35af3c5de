// The login's answers to what the service replies, and the logout.
#include "core/globals.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_error.h"
#include "service/service_address_detail.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "session_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ovr::test
{
namespace
{

using fakert::Fault;

enum class Outcome
{
    LoggedIn,
    ReaderError, // the session ends with "READER ERROR" and restarts after 15 s
    UserError,
    NoDatabase,
};

struct LoginCase
{
    const char* name;
    const char* licence;
    std::optional<Fault> fault;
    Outcome outcome;
    int code = 0;                  // of the user error
    const char* guid = nullptr;    // when logged in: the session id taken, when not the service's
    const char* account = nullptr; // part of the account line
    const char* logLine = nullptr;
};

const LoginCase kLoginCases[] = {
    {"good_standard_licence", kStandardLicence, {}, Outcome::LoggedIn, 0, nullptr, "RT standard account, 36"},
    {"professional_licence",
     "RT-DEMO-PRO-0002",
     {},
     Outcome::LoggedIn,
     0,
     nullptr,
     "RT professional account, 7"},
    {"expired_licence_402",
     "RT-DEMO-EXPIRED-0003",
     {},
     Outcome::UserError,
     402,
     nullptr,
     nullptr,
     "Your RealTraffic licence has expired"},
    {"unknown_licence_404",
     "RT-NOBODY",
     {},
     Outcome::UserError,
     404,
     nullptr,
     nullptr,
     "RealTraffic does not know this licence"},
    {"database_down_500", kStandardLicence, Fault{.status = 500}, Outcome::NoDatabase},
    {"status_401_taken_as_logged_in", kStandardLicence, Fault{.status = 401}, Outcome::LoggedIn, 0,
     "empty GUID?"},
    {"status_403_taken_as_logged_in", kStandardLicence, Fault{.status = 403}, Outcome::LoggedIn, 0,
     "empty GUID?"},
    {"status_as_text_taken_as_logged_in", kStandardLicence, Fault{.statusAsText = true}, Outcome::LoggedIn},
    {"no_guid_still_logs_in", kStandardLicence, Fault{.omit = {"GUID"}}, Outcome::LoggedIn, 0, "empty GUID?"},
    {"float_type_is_standard", "RT-DEMO-PRO-0002", Fault{.set = {{"type", 2.0}}}, Outcome::LoggedIn, 0,
     nullptr, "RT standard account"},
    {"expiry_as_text_counts_as_absent", kStandardLicence, Fault{.set = {{"expiry", "soon"}}},
     Outcome::LoggedIn, 0, nullptr, "RT standard account, -2"},
    {"empty_reply", kStandardLicence, Fault{.rawBody = ""}, Outcome::ReaderError, 0, nullptr, nullptr,
     "Authentication: empty response"},
    {"invalid_reply", kStandardLicence, Fault{.invalidJson = true}, Outcome::ReaderError, 0, nullptr, nullptr,
     "==> authenticate: reply is no JSON"},
    {"reply_is_no_object", kStandardLicence, Fault{.rawBody = "[200]", .contentType = "application/json"},
     Outcome::ReaderError, 0, nullptr, nullptr, "==> authenticate: login reply is array, not an object"},
    {"connection_dropped", kStandardLicence, Fault{.dropConnection = true}, Outcome::ReaderError, 0, nullptr,
     nullptr, " Authentication failed: "},
};

class LoginTest : public SessionTest, public testing::WithParamInterface<LoginCase>
{
};

TEST_P(LoginTest, AnswersTheReply)
{
    const LoginCase& c = GetParam();
    detail::setRtLicence(c.licence);
    if (c.fault)
    {
        m_service->addFault("/v5/auth", *c.fault);
    }
    LAST_EPOCH_TIME.current.store(0);
    switch (c.outcome)
    {
    case Outcome::LoggedIn:
        EXPECT_NO_THROW(gf_authenticater());
        EXPECT_EQ(g_authenticated.load(), 1);
        EXPECT_EQ(g_stop.load(), 0);
        EXPECT_FALSE(g_weatherReader.guid.empty());
        EXPECT_EQ(g_trafficReader.guid, g_weatherReader.guid);
        if (c.guid != nullptr)
        {
            EXPECT_EQ(g_weatherReader.guid, c.guid);
        }
        EXPECT_EQ(gf_statusTexts().status, "");
        EXPECT_EQ(LAST_EPOCH_TIME.current.load(), 0);
        break;
    case Outcome::ReaderError:
        EXPECT_NO_THROW(gf_authenticater());
        EXPECT_EQ(g_authenticated.load(), 0);
        EXPECT_EQ(g_exitReason.load(), kExitReaderError);
        EXPECT_EQ(g_restartDelay.load(), kDelayReaderError);
        EXPECT_TRUE(g_trafficReader.guid.empty());
        EXPECT_EQ(gf_statusTexts().status, "");
        EXPECT_GT(LAST_EPOCH_TIME.current.load(), 0);
        break;
    case Outcome::UserError:
        try
        {
            gf_authenticater();
            ADD_FAILURE() << "no user error";
        }
        catch (const UserErrorException& e)
        {
            EXPECT_EQ(std::string(e.what()).substr(0, 5), fmt::format("{}: ", c.code));
        }
        EXPECT_EQ(g_stop.load(), 0);
        EXPECT_EQ(gf_statusTexts().status, c.logLine);
        EXPECT_GT(LAST_EPOCH_TIME.current.load(), 0);
        break;
    case Outcome::NoDatabase:
        try
        {
            gf_authenticater();
            ADD_FAILURE() << "no runtime error";
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_STREQ(e.what(), "No RT database connection");
        }
        break;
    }
    if (c.account != nullptr)
    {
        EXPECT_NE(g_accountText.load().find(c.account), std::string::npos) << g_accountText.load();
    }
    if (c.logLine != nullptr)
    {
        EXPECT_TRUE(m_log.contains(c.logLine)) << m_log.text();
    }
    EXPECT_TRUE(m_log.contains("Waiting for authentication at RT server ...\n \n")) << m_log.text();
    if (c.licence[0] != '\0')
    {
        EXPECT_FALSE(m_log.contains(c.licence)) << "the licence is never logged";
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, LoginTest, testing::ValuesIn(kLoginCases), caseName<LoginCase>);

// Without a licence no login can succeed: no request is sent, the user is
// told, and the session does not restart.
TEST_F(SessionTest, NoLicenceIsAUserErrorWithoutARequest)
{
    detail::setRtLicence("");
    try
    {
        gf_authenticater();
        ADD_FAILURE() << "no user error";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(e.what(), "400: No RealTraffic licence is set: set VORA_RT_LICENSE and start Vora again");
    }
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
    EXPECT_EQ(gf_statusTexts().status, "No RealTraffic licence is set: set VORA_RT_LICENSE and start Vora again");
    EXPECT_TRUE(m_service->log("/v5/auth").empty());
    EXPECT_FALSE(m_log.contains("The Authenticater has stopped with an error")) << m_log.text();
}

TEST_F(SessionTest, SecondSessionOfOneLicenceIsRefused)
{
    gf_authenticater();
    ASSERT_EQ(g_authenticated.load(), 1);
    try
    {
        gf_authenticater();
        ADD_FAILURE() << "no user error";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(
            e.what(),
            "405: More than one RealTraffic session is not possible, do not run the RealTraffic app");
    }
}

TEST_F(SessionTest, DaysLeftAndTheirPlural)
{
    const std::pair<double, const char*> cases[] = {
        {1.5, "RT standard account, 1 day left"},
        {-2.5, "RT standard account, -2 day left"},
        {0.5, "RT standard account, 0 days left"},
        {30.2, "RT standard account, 30 days left"},
    };
    for (const auto& [days, text] : cases)
    {
        const auto expiry = static_cast<long long>(fakert::systemClock() + days * 86400.0);
        m_service->addFault("/v5/auth", Fault{.set = {{"expiry", expiry}}});
        gf_authenticater();
        EXPECT_EQ(g_accountText.load(), text) << days;
        g_trafficReader.deauthenticate();
    }
}

TEST_F(SessionTest, LogoutAnswers)
{
    gf_authenticater();
    m_service->addFault("/v5/deauth", Fault{.status = 200, .omit = {"message", "server"}});
    g_trafficReader.deauthenticate();
    EXPECT_TRUE(m_log.contains("\n RT server ''\n")) << m_log.text();
    EXPECT_EQ(g_authenticated.load(), 0);

    g_trafficReader.guid = "not-a-session";
    g_trafficReader.deauthenticate();
    EXPECT_TRUE(m_log.contains("==> Deauthentication failed, status: 401")) << m_log.text();
    m_service->addFault("/v5/deauth", Fault{.rawBody = "<html>oops</html>"});
    g_trafficReader.deauthenticate();
    EXPECT_TRUE(m_log.contains("deauthentication, invalid JSON:\n<html>oops</html>\n")) << m_log.text();
}

} // namespace
} // namespace ovr::test
