// The stand-in's JSON-lines trace: one object per line for each call, each
// record sent and, once a world second, the table of all objects.
#pragma once

#include <nlohmann/json.hpp>

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
    void write(const nlohmann::json& line);
    void flush();

  private:
    std::ofstream out_;
};

} // namespace ovr::sim::detail
