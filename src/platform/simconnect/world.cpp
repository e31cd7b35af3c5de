#include "platform/simconnect/world.h"

#include "platform/simconnect/scenario_json.h"
#include "platform/simconnect/world_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace ovr::sim
{
namespace
{

std::mutex g_registryMutex;
std::vector<World*> g_worlds; // alive, in the order constructed

// The world of a run: set up once from the environment.
World& defaultWorld()
{
    static World world = []
    {
        Scenario scenario = builtInScenario();
        if (const char* file = std::getenv("VORA_SIM_SCENARIO"); file != nullptr && *file != '\0')
        {
            try
            {
                scenario = loadScenarioFile(file);
            }
            catch (const std::exception& e)
            {
                // The simulator then never becomes available, so the program
                // waits for it as it would for a simulator that is not started.
                std::fprintf(stderr, "simulator stand-in: %s\n", e.what());
                scenario = Scenario{};
                scenario.available = false;
            }
        }
        WorldOptions options;
        options.realTime = true;
        options.keepLogs = false;
        if (const char* trace = std::getenv("VORA_SIM_TRACE"); trace != nullptr && *trace != '\0')
        {
            options.tracePath = trace;
        }
        return World(std::move(scenario), std::move(options));
    }();
    return world;
}

} // namespace

namespace detail
{

WorldCore& currentCore()
{
    {
        std::lock_guard lock(g_registryMutex);
        if (!g_worlds.empty())
        {
            return *g_worlds.back()->core_;
        }
    }
    return *defaultWorld().core_;
}

} // namespace detail

World::World(Scenario scenario, WorldOptions options)
    : core_(std::make_unique<detail::WorldCore>(std::move(scenario), std::move(options)))
{
    std::lock_guard lock(g_registryMutex);
    g_worlds.push_back(this);
}

World::~World()
{
    {
        std::lock_guard lock(g_registryMutex);
        std::erase(g_worlds, this);
    }
    core_.reset();
}

void World::advance(std::int64_t ms)
{
    core_->advance(ms);
}
std::int64_t World::nowMs() const
{
    return core_->nowMs();
}
void World::apply(const ScriptedAction& action)
{
    core_->apply(action);
}
DWORD World::addForeign(const ForeignAircraft& aircraft)
{
    return core_->addForeign(aircraft);
}
std::vector<ObjectState> World::objects() const
{
    return core_->objects();
}
std::optional<ObjectState> World::object(DWORD id) const
{
    return core_->object(id);
}
std::vector<CallRecord> World::calls() const
{
    return core_->calls();
}
std::vector<MessageRecord> World::messages() const
{
    return core_->messages();
}
void World::clearLogs()
{
    core_->clearLogs();
}
std::vector<std::string> World::clients() const
{
    return core_->clients();
}
std::size_t World::queued(const std::string& client) const
{
    return core_->queued(client);
}
bool World::available() const
{
    return core_->available();
}
bool World::running() const
{
    return core_->running();
}

} // namespace ovr::sim
