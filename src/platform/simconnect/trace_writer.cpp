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

void TraceWriter::write(const nlohmann::json& line)
{
    if (out_.is_open())
    {
        out_ << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    }
}

void TraceWriter::flush()
{
    if (out_.is_open())
    {
        out_.flush();
    }
}

} // namespace ovr::sim::detail
