#include "core/download.h"
#include "core/download_detail.h"
#include "core/globals.h"
#include "core/library_init.h"
#include "test_support.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

const std::string kContent = []
{
    std::string text(100000, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        text[i] = static_cast<char>(i * 31 % 251);
    }
    return text;
}();

// A download service on 127.0.0.1 with a file, a folder of components, a
// connection that drops half-way and one that stalls.
class DownloadServer
{
  public:
    DownloadServer()
    {
        // Recorded before the answer goes out, so a test sees every request
        // that its download sent.
        server_.set_pre_routing_handler(
            [this](const httplib::Request& req, httplib::Response&)
            {
                const std::scoped_lock lock(mutex_);
                userAgents_.push_back(req.get_header_value("User-Agent"));
                return httplib::Server::HandlerResponse::Unhandled;
            });
        server_.Get("/downloads/file.bin", [](const httplib::Request&, httplib::Response& res)
                    { res.set_content(kContent, "application/octet-stream"); });
        server_.Get("/downloads/12/dbase.enc", [](const httplib::Request&, httplib::Response& res)
                    { res.set_content("component", "application/octet-stream"); });
        server_.Get("/downloads/drop.bin",
                    [](const httplib::Request&, httplib::Response& res)
                    {
                        res.set_content_provider(kContent.size(), "application/octet-stream",
                                                 [](std::size_t offset, std::size_t, httplib::DataSink& sink)
                                                 {
                                                     if (offset > 0)
                                                     {
                                                         return false; // drops the connection
                                                     }
                                                     sink.write(kContent.data(), 1000);
                                                     return true;
                                                 });
                    });
        server_.Get("/downloads/stall.bin",
                    [this](const httplib::Request&, httplib::Response& res)
                    {
                        res.set_content_provider(
                            kContent.size(), "application/octet-stream",
                            [this](std::size_t, std::size_t, httplib::DataSink&)
                            {
                                // Sends the headers and then nothing until the test ends.
                                const auto until = std::chrono::steady_clock::now() + 20s;
                                while (!released_ && std::chrono::steady_clock::now() < until)
                                {
                                    std::this_thread::sleep_for(20ms);
                                }
                                return false;
                            });
                    });
        // The content without a length, as a chunked reply.
        server_.Get("/downloads/chunked.bin",
                    [](const httplib::Request&, httplib::Response& res)
                    {
                        res.set_chunked_content_provider("application/octet-stream",
                                                         [](std::size_t offset, httplib::DataSink& sink)
                                                         {
                                                             if (offset >= kContent.size())
                                                             {
                                                                 sink.done();
                                                                 return true;
                                                             }
                                                             return sink.write(kContent.data() + offset,
                                                                               1000);
                                                         });
                    });
        // Two bytes every 100 ms: never slow enough for the low-speed limit.
        server_.Get("/downloads/trickle.bin",
                    [this](const httplib::Request&, httplib::Response& res)
                    {
                        res.set_content_provider(
                            kContent.size(), "application/octet-stream",
                            [this](std::size_t offset, std::size_t, httplib::DataSink& sink)
                            {
                                if (released_)
                                {
                                    return false;
                                }
                                std::this_thread::sleep_for(100ms);
                                return sink.write(kContent.data() + offset, 2);
                            });
                    });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
        {
            std::this_thread::sleep_for(1ms);
        }
    }

    ~DownloadServer()
    {
        released_ = true;
        server_.stop();
        thread_.join();
    }

    std::string url(std::string_view path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }

    std::vector<std::string> userAgents() const
    {
        const std::scoped_lock lock(mutex_);
        return userAgents_;
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> released_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> userAgents_;
};

class Download : public TempFolderTest
{
  protected:
    static void SetUpTestSuite() { gf_initLibraries(); }

    void SetUp() override
    {
        TempFolderTest::SetUp();
        detail::gf_setDownloadLimits({.connectTimeout = 15s, .lowSpeedTime = 2s});
    }

    void TearDown() override
    {
        detail::gf_setDownloadLimits({});
        detail::gf_setDownloadBase("");
        g_stop = 0;
        TempFolderTest::TearDown();
    }

    fs::path target() const { return dir() / "target.bin"; }
    fs::path part() const { return dir() / "target.bin.part"; }

    bool download(std::string_view path)
    {
        CurlHandle handle(curl_easy_init());
        return gf_download(handle.get(), server.url(path), target(), true, kDataFileBudget);
    }

    DownloadServer server;
};

TEST_F(Download, WritesTheContentToTheTarget)
{
    ASSERT_TRUE(download("/downloads/file.bin"));
    EXPECT_EQ(readFile(target()), kContent);
    EXPECT_FALSE(fs::exists(part()));
}

struct FailedDownload
{
    const char* name;
    const char* path;
    const char* curlText;
};

const FailedDownload kFailures[] = {
    {"http_404", "/downloads/missing.bin", "HTTP response code said error"},
    {"dropped_connection", "/downloads/drop.bin", "Transferred a partial file"},
    {"stalled_connection", "/downloads/stall.bin", "Timeout was reached"},
};

class FailingDownload : public Download, public ::testing::WithParamInterface<FailedDownload>
{
};

TEST_P(FailingDownload, LeavesAnInstalledTargetUnchanged)
{
    writeFile(target(), "the installed file");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(download(GetParam().path));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
    EXPECT_EQ(readFile(target()), "the installed file");
    EXPECT_FALSE(fs::exists(part()));
    const std::string line =
        std::string("Download error: '") + GetParam().curlText + "' for " + server.url(GetParam().path);
    EXPECT_NE(logText().find(line), std::string::npos) << logText();
}

INSTANTIATE_TEST_SUITE_P(Cases, FailingDownload, ::testing::ValuesIn(kFailures), caseName);

struct OverBudget
{
    const char* name;
    const char* path;
    DownloadBudget budget;
    const char* why;
};

const OverBudget kOverBudget[] = {
    {"larger_than_its_cap", "/downloads/file.bin", {1000, 60s}, "larger than 1000 bytes"},
    {"larger_without_a_length", "/downloads/chunked.bin", {5000, 60s}, "larger than 5000 bytes"},
    {"trickle_past_its_deadline",
     "/downloads/trickle.bin",
     {std::uintmax_t{1} << 20, 1s},
     "Timeout was reached"},
};

class DownloadOverBudget : public Download, public ::testing::WithParamInterface<OverBudget>
{
};

// A download that would take more bytes or more time than it may is given
// up, and the installed target stays as it was.
TEST_P(DownloadOverBudget, IsGivenUpAndKeepsTheTarget)
{
    const OverBudget& c = GetParam();
    writeFile(target(), "the installed file");
    CurlHandle handle(curl_easy_init());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(gf_download(handle.get(), server.url(c.path), target(), true, c.budget));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(readFile(target()), "the installed file");
    EXPECT_FALSE(fs::exists(part()));
    const std::string line = std::string("Download error: '") + c.why + "' for " + server.url(c.path);
    EXPECT_NE(logText().find(line), std::string::npos) << logText();
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadOverBudget, ::testing::ValuesIn(kOverBudget), caseName);

TEST_F(Download, StopRequestAbortsARunningDownload)
{
    detail::gf_setDownloadLimits({}); // the stall alone would take 30 s
    std::thread stopper(
        []
        {
            std::this_thread::sleep_for(300ms);
            g_stop = 1;
        });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(download("/downloads/stall.bin"));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_FALSE(fs::exists(part()));
}

TEST_F(Download, TargetInAMissingFolderSendsNoRequest)
{
    CurlHandle handle(curl_easy_init());
    const fs::path missing = dir() / "no" / "file.bin";
    EXPECT_FALSE(
        gf_download(handle.get(), server.url("/downloads/file.bin"), missing, true, kDataFileBudget));
    EXPECT_NE(logText().find("Could not open output file: " + missing.string()), std::string::npos);
    EXPECT_TRUE(server.userAgents().empty());
}

TEST_F(Download, EveryRequestOnAHandleSendsTheUserAgent)
{
    CurlHandle handle(curl_easy_init());
    ASSERT_TRUE(
        gf_download(handle.get(), server.url("/downloads/file.bin"), target(), true, kDataFileBudget));
    ASSERT_TRUE(gf_download(handle.get(), server.url("/downloads/file.bin"), dir() / "second.bin", false,
                            kDataFileBudget));
    EXPECT_EQ(server.userAgents(), (std::vector<std::string>{"Vora", "Vora"}));
}

TEST_F(Download, WithoutAHandleNothingHappens)
{
    EXPECT_FALSE(gf_download(nullptr, server.url("/downloads/file.bin"), target(), true, kDataFileBudget));
    EXPECT_TRUE(server.userAgents().empty());
}

TEST_F(Download, ComponentComesFromTheMajorVersionFolder)
{
    detail::gf_setDownloadBase(server.url("/downloads"));
    ASSERT_TRUE(gf_downloadFile("dbase.enc", target()));
    EXPECT_EQ(readFile(target()), "component");
    const std::string url = server.url("/downloads/12/dbase.enc");
    EXPECT_NE(logText().find("Downloaded '" + url + "' to '" + target().string() + "'"), std::string::npos);
}

TEST_F(Download, FailedComponentIsAWarning)
{
    detail::gf_setDownloadBase(server.url("/downloads/"));
    EXPECT_FALSE(gf_downloadFile("airports.enc", target()));
    EXPECT_NE(logText().find("==> Downloading '" + server.url("/downloads/12/airports.enc") + "' failed !"),
              std::string::npos);
}

TEST_F(Download, WithoutAServiceNoRequestIsSent)
{
    detail::gf_setDownloadBase("");
    EXPECT_FALSE(gf_downloadFile("dbase.enc", target()));
    EXPECT_NE(logText().find("download service not configured (VORA_DOWNLOAD_BASE)"), std::string::npos);
    EXPECT_NE(logText().find("==> Downloading '12/dbase.enc' failed !"), std::string::npos);
    EXPECT_TRUE(server.userAgents().empty());
    EXPECT_FALSE(fs::exists(target()));
}

} // namespace
} // namespace ovr::test
