#include "platform/simconnect/trace_writer.h"

#include <cstdio>

namespace ovr::sim::detail
{

TraceWriter::TraceWriter(const std::filesystem::path& path)
{
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_)
    {
        std::fprintf(stderr, "simulator stand-in: cannot write the trace %s\n", path.string().c_str());
    }
}

void TraceWriter::write(std::int64_t atMs, const char* kind, const nlohmann::json& body)
{
    if (!out_.is_open())
    {
        return;
    }
    // The time and the kind lead each line, so that the trace reads in order.
    out_ << "{\"t_ms\":" << atMs << ",\"kind\":\"" << kind << '"';
    for (const auto& [key, value] : body.items())
    {
        out_ << ',' << nlohmann::json(key).dump() << ':'
             << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    out_ << "}\n";
}

void TraceWriter::flush()
{
    if (out_.is_open())
    {
        out_.flush();
    }
}

} // namespace ovr::sim::detail
