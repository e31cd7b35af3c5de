#include "fake-rt/fake_service.h"

#include "fake-rt/gzip.h"

#include <fmt/format.h>
#include <httplib.h>

#include <array>
#include <condition_variable>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace ovr::fakert
{

namespace
{

constexpr std::array<std::string_view, 5> kPaths = {kAuthPath, kDeauthPath, kTrafficPath, kNearestMetarPath,
                                                    kWeatherPath};
constexpr std::size_t kServerThreads = 8;
constexpr auto kStartTimeout = std::chrono::seconds(5);
constexpr std::size_t kMaxRequestBody = 1 << 20;
// What a trickling body sends per pause.
constexpr std::size_t kTrickleBytes = 16;

// What a scripted fault turns the endpoint's reply into.
struct Outgoing
{
    std::string body;
    std::string contentType = "application/json";
    int httpStatus = 200;
};

Outgoing shapeReply(const std::optional<Fault>& fault, nlohmann::json reply, LogEntry& entry)
{
    Outgoing out;
    if (fault)
    {
        for (const auto& [key, value] : fault->set.items())
        {
            reply[key] = value;
        }
        for (const std::string& key : fault->omit)
        {
            reply.erase(key);
        }
        if (fault->statusAsText && reply.contains("status"))
        {
            const nlohmann::json& status = reply["status"];
            reply["status"] = status.is_string() ? status.get<std::string>() : status.dump();
        }
        if (fault->httpStatus != 0)
        {
            out.httpStatus = fault->httpStatus;
        }
    }
    if (reply.contains("status") && reply["status"].is_number_integer())
    {
        entry.status = reply["status"].get<int>();
    }
    out.body = reply.dump();
    if (fault && fault->invalidJson)
    {
        // a prefix of an object never closes it
        out.body.resize(out.body.size() / 2);
    }
    return out;
}

} // namespace

double systemClock()
{
    using namespace std::chrono;
    return duration_cast<duration<double>>(system_clock::now().time_since_epoch()).count();
}

struct FakeRtService::Impl
{
    explicit Impl(Scenario scenario, Clock c) : clock(std::move(c)), core(std::move(scenario)) {}

    void serve(const httplib::Request& req, httplib::Response& res);
    std::optional<Fault> takeFault(const std::string& path, const FormFields& fields);
    void waitOrStop(std::chrono::milliseconds delay);

    Clock clock;

    // guards the core, the faults and the observer
    mutable std::mutex mutex;
    ServiceCore core;
    std::map<std::string, std::vector<Fault>, std::less<>> faults;
    std::function<void(const LogEntry&)> observer;
    RequestLog log;

    std::mutex stopMutex;
    std::condition_variable stopCv;
    bool stopping = false;

    // start and stop
    mutable std::mutex lifeMutex;
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
    int port = 0;
};

std::optional<Fault> FakeRtService::Impl::takeFault(const std::string& path, const FormFields& fields)
{
    const auto queue = faults.find(path);
    if (queue == faults.end())
    {
        return std::nullopt;
    }
    for (auto it = queue->second.begin(); it != queue->second.end(); ++it)
    {
        if (it->when && !it->when(fields))
        {
            continue;
        }
        Fault taken = *it;
        if (it->times > 0 && --it->times == 0)
        {
            queue->second.erase(it);
        }
        return taken;
    }
    return std::nullopt;
}

void FakeRtService::Impl::waitOrStop(std::chrono::milliseconds delay)
{
    std::unique_lock lock(stopMutex);
    stopCv.wait_for(lock, std::min(delay, kMaxFaultDelay), [&] { return stopping; });
}

void FakeRtService::Impl::serve(const httplib::Request& req, httplib::Response& res)
{
    LogEntry entry;
    entry.path = req.path;
    entry.body = req.body;
    entry.fields = parseFormBody(req.body);
    entry.contentType = req.get_header_value("Content-Type");
    entry.acceptEncoding = req.get_header_value("Accept-Encoding");

    std::optional<Fault> fault;
    Outgoing out;
    std::function<void(const LogEntry&)> notify;
    bool compress = false;
    {
        std::lock_guard lock(mutex);
        // The documented service compresses whenever the client accepts it.
        compress = core.scenario().strict && entry.acceptEncoding.find("gzip") != std::string::npos;
        entry.time = clock();
        fault = takeFault(entry.path, entry.fields);
        entry.faulted = fault.has_value();
        if (fault && fault->rawBody)
        {
            out.body = *fault->rawBody;
            out.contentType = fault->contentType.empty() ? "text/html" : fault->contentType;
            out.httpStatus = fault->httpStatus != 0 ? fault->httpStatus : 200;
        }
        else if (fault && fault->status)
        {
            const nlohmann::json refusal{{"status", *fault->status},
                                         {"message", fault->message.value_or(statusMessage(*fault->status))}};
            out = shapeReply(fault, refusal, entry);
        }
        else
        {
            ServiceReply reply = core.handle(entry.path, entry.fields, entry.time);
            entry.aircraft = std::move(reply.aircraft);
            out = shapeReply(fault, std::move(reply.body), entry);
        }
        entry.httpStatus = out.httpStatus;
        entry.reply = out.body;
        notify = observer;
    }
    log.add(entry);
    if (notify)
    {
        notify(entry);
    }

    if (fault && fault->delay.count() > 0)
    {
        waitOrStop(fault->delay);
    }
    res.status = out.httpStatus;
    if ((fault && fault->gzip) || (compress && !out.body.empty()))
    {
        out.body = gzipCompress(out.body);
        res.set_header("Content-Encoding", "gzip");
    }
    if (fault && fault->dropConnection)
    {
        // a declared length that never arrives: the client sees the
        // connection close in the middle of the reply
        res.set_content_provider(std::max<std::size_t>(out.body.size(), 1), out.contentType,
                                 [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        return;
    }
    if (out.body.empty())
    {
        res.set_content("", out.contentType);
        return;
    }
    // A provider with a length is sent as it is; a plain body would be
    // compressed by the server whenever the client accepts gzip, and the
    // fault script decides about that.
    auto payload = std::make_shared<std::string>(std::move(out.body));
    if (fault && fault->trickle.count() > 0)
    {
        // a few bytes per pause; a stopping service cuts the pauses short
        const std::chrono::milliseconds pause = fault->trickle;
        res.set_content_provider(
            payload->size(), out.contentType,
            [this, payload, pause](std::size_t offset, std::size_t length, httplib::DataSink& sink)
            {
                waitOrStop(pause);
                return sink.write(payload->data() + offset, std::min(length, kTrickleBytes));
            });
        return;
    }
    res.set_content_provider(payload->size(), out.contentType,
                             [payload](std::size_t offset, std::size_t length, httplib::DataSink& sink)
                             { return sink.write(payload->data() + offset, length); });
}

FakeRtService::FakeRtService(Scenario scenario, Clock clock)
    : m_impl(std::make_unique<Impl>(std::move(scenario), clock ? std::move(clock) : Clock(systemClock)))
{
    for (const PathFault& f : m_impl->core.scenario().faults)
    {
        m_impl->faults[f.path].push_back(f.fault);
    }
}

FakeRtService::~FakeRtService()
{
    stop();
}

int FakeRtService::start(int port)
{
    Impl& d = *m_impl;
    std::lock_guard life(d.lifeMutex);
    if (d.server)
    {
        throw std::logic_error("fake-rt: already running");
    }
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = false;
    }
    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // One request per connection, as the clients ask for, and short socket
    // time-outs, so that stopping never waits on an idle connection.
    server->set_keep_alive_max_count(1);
    server->set_keep_alive_timeout(1);
    server->set_read_timeout(2, 0);
    server->set_write_timeout(2, 0);
    server->set_payload_max_length(kMaxRequestBody);
    for (std::string_view path : kPaths)
    {
        server->Post(std::string(path),
                     [&d](const httplib::Request& req, httplib::Response& res)
                     {
                         try
                         {
                             d.serve(req, res);
                         }
                         catch (const std::exception& e)
                         {
                             std::cerr << "fake-rt: " << req.path << ": " << e.what() << std::endl;
                             res.status = 500;
                             res.set_content(fmt::format("fake-rt internal error: {}", e.what()),
                                             "text/plain");
                         }
                     });
    }
    const int bound = port == 0 ? server->bind_to_any_port("127.0.0.1")
                                : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
    {
        throw std::runtime_error(fmt::format("fake-rt: cannot listen on 127.0.0.1:{}", port));
    }
    httplib::Server* raw = server.get();
    d.server = std::move(server);
    d.port = bound;
    d.listener = std::thread([raw] { raw->listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!raw->is_running())
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            raw->stop();
            d.listener.join();
            d.server.reset();
            d.port = 0;
            throw std::runtime_error("fake-rt: the server did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return bound;
}

void FakeRtService::stop()
{
    Impl& d = *m_impl;
    std::lock_guard life(d.lifeMutex);
    if (!d.server)
    {
        return;
    }
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = true;
    }
    d.stopCv.notify_all();
    d.server->stop();
    d.listener.join();
    d.server.reset();
    d.port = 0;
}

bool FakeRtService::running() const
{
    std::lock_guard life(m_impl->lifeMutex);
    return m_impl->server != nullptr;
}

int FakeRtService::port() const
{
    std::lock_guard life(m_impl->lifeMutex);
    return m_impl->port;
}

std::string FakeRtService::baseUrl() const
{
    return fmt::format("http://127.0.0.1:{}", port());
}

void FakeRtService::addFault(std::string path, Fault fault)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults[std::move(path)].push_back(std::move(fault));
}

void FakeRtService::clearFaults()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.clear();
}

std::vector<LogEntry> FakeRtService::log() const
{
    return m_impl->log.entries();
}

std::vector<LogEntry> FakeRtService::log(std::string_view path) const
{
    return m_impl->log.entries(path);
}

void FakeRtService::clearLog()
{
    m_impl->log.clear();
}

void FakeRtService::onRequest(std::function<void(const LogEntry&)> observer)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->observer = std::move(observer);
}

Scenario FakeRtService::scenario() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->core.scenario();
}

void FakeRtService::changeScenario(const std::function<void(Scenario&)>& change)
{
    std::lock_guard lock(m_impl->mutex);
    Scenario s = m_impl->core.scenario();
    change(s);
    m_impl->core.setScenario(std::move(s));
}

void FakeRtService::setQnh(nlohmann::json qnh)
{
    changeScenario([&](Scenario& s) { s.qnhJson = qnh.dump(); });
}

void FakeRtService::setRateLimits(int rrl, int wrrl)
{
    changeScenario(
        [&](Scenario& s)
        {
            s.rrl = rrl;
            s.wrrl = wrrl;
        });
}

void FakeRtService::setBadEntries(int count)
{
    changeScenario([&](Scenario& s) { s.traffic.badEntries = count; });
}

std::vector<Session> FakeRtService::sessions() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->core.sessions();
}

TrafficGenerator FakeRtService::generator() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->core.generator();
}

} // namespace ovr::fakert
