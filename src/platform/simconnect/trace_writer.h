// The stand-in's JSON-lines trace: one object per line for each call, each
// record sent and, once a world second, the table of all objects.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace ovr::sim::detail
{

class TraceWriter
{
  public:
    // A file that cannot be created is reported once on stderr and the
    // trace stays off: the simulator runs on without it.
    explicit TraceWriter(const std::filesystem::path& path);

    bool enabled() const { return out_.is_open(); }
    // One line: {"t_ms": .., "kind": .., then the members of body}.
    void write(std::int64_t atMs, const char* kind, const nlohmann::json& body);
    void flush();

  private:
    std::ofstream out_;
};

} // namespace ovr::sim::detail
