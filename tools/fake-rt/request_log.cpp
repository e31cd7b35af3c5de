#include "fake-rt/request_log.h"

namespace ovr::fakert
{

std::vector<std::string> LogEntry::fieldNames() const
{
    std::vector<std::string> names;
    names.reserve(fields.size());
    for (const FormField& f : fields)
    {
        names.push_back(f.name);
    }
    return names;
}

std::optional<std::string> LogEntry::field(std::string_view name) const
{
    return formValue(fields, name);
}

void RequestLog::add(LogEntry entry)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back(std::move(entry));
    while (m_capacity > 0 && m_entries.size() > m_capacity)
    {
        m_entries.pop_front();
    }
}

std::vector<LogEntry> RequestLog::entries() const
{
    std::lock_guard lock(m_mutex);
    return {m_entries.begin(), m_entries.end()};
}

std::vector<LogEntry> RequestLog::entries(std::string_view path) const
{
    std::lock_guard lock(m_mutex);
    std::vector<LogEntry> out;
    for (const LogEntry& e : m_entries)
    {
        if (e.path == path)
        {
            out.push_back(e);
        }
    }
    return out;
}

std::size_t RequestLog::size() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

void RequestLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

} // namespace ovr::fakert
