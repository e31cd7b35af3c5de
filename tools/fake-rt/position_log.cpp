#include "fake-rt/position_log.h"

#include <nlohmann/json.hpp>

#include <fmt/format.h>

#include <stdexcept>

namespace ovr::fakert
{

std::string positionLine(double sentAt, const SentAircraft& a)
{
    const nlohmann::json line{{"sent", sentAt},
                              {"key", a.key},
                              {"callsign", a.callsign},
                              {"registration", a.registration},
                              {"data_time", a.dataTime},
                              {"lat", a.pos.lat},
                              {"lon", a.pos.lon},
                              {"alt_ft", a.altitudeFt},
                              {"on_ground", a.onGround},
                              {"buffer", a.buffer}};
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

PositionLog::PositionLog(const std::filesystem::path& file) : m_out(file, std::ios::binary | std::ios::trunc)
{
    if (!m_out)
    {
        throw std::runtime_error(fmt::format("cannot write {}", file.string()));
    }
}

void PositionLog::write(double sentAt, const std::vector<SentAircraft>& aircraft)
{
    std::string lines;
    for (const SentAircraft& a : aircraft)
    {
        if (a.wellFormed)
        {
            lines += positionLine(sentAt, a);
            lines += '\n';
        }
    }
    if (lines.empty())
    {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_out << lines << std::flush;
}

} // namespace ovr::fakert
