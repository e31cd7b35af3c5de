// A value that one thread writes while others read it: stored and loaded
// whole under its own lock, so a reader never sees half of an update (a
// position with the new latitude and the old longitude, a text being
// replaced). Meant for small values read a few times a second.
#pragma once

#include <mutex>
#include <utility>

namespace ovr
{

template <class T> class SharedValue
{
  public:
    SharedValue() = default;
    explicit SharedValue(T value) : m_value(std::move(value)) {}
    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

    SharedValue& operator=(T value)
    {
        store(std::move(value));
        return *this;
    }
    void store(T value)
    {
        const std::scoped_lock lock(m_mutex);
        m_value = std::move(value);
    }
    T load() const
    {
        const std::scoped_lock lock(m_mutex);
        return m_value;
    }

  private:
    mutable std::mutex m_mutex;
    T m_value{};
};

} // namespace ovr
