// A raw SimConnect client for the tests: opens a connection to the current
// world and collects what it dispatches as copies of the records.
#pragma once

#include "platform/simconnect/simconnect.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace ovr::sim::test
{

// The client event ids under which the tests subscribe to the system events.
constexpr DWORD kSim = 201;
constexpr DWORD kObjectAdded = 202;
constexpr DWORD kObjectRemoved = 203;
constexpr DWORD kFrame = 204;

// One dispatched record, copied into aligned storage.
struct Received
{
    std::vector<std::uint64_t> storage;
    DWORD size = 0;

    DWORD id() const { return as<SIMCONNECT_RECV>().dwID; }
    template <class T> const T& as() const { return *reinterpret_cast<const T*>(storage.data()); }
    // The data block that starts at a record's last DWORD field.
    template <class Rec> const std::byte* data() const
    {
        return reinterpret_cast<const std::byte*>(storage.data()) + sizeof(Rec) - sizeof(DWORD);
    }
    template <class Rec> std::size_t dataSize() const { return size - (sizeof(Rec) - sizeof(DWORD)); }
    template <class T> T read(const std::byte* p, std::size_t offset) const
    {
        T v{};
        std::memcpy(&v, p + offset, sizeof(T));
        return v;
    }
};

// A path in the temporary folder that no other test run uses.
inline std::filesystem::path uniqueTempPath(const std::string& name)
{
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::filesystem::temp_directory_path() / ("simsc-" + std::to_string(stamp) + "-" + name);
}

inline void collect(SIMCONNECT_RECV* recv, DWORD size, void* context)
{
    auto* out = static_cast<std::vector<Received>*>(context);
    Received r;
    r.size = size;
    r.storage.assign((size + 7) / 8, 0);
    std::memcpy(r.storage.data(), recv, size);
    out->push_back(std::move(r));
}

class Client
{
  public:
    explicit Client(const char* name = "Vora")
    {
        EXPECT_GE(SimConnect_Open(&h, name, nullptr, 0, nullptr, 0), 0);
    }
    ~Client()
    {
        if (h != nullptr)
        {
            SimConnect_Close(h);
        }
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    std::vector<Received> drain()
    {
        std::vector<Received> out;
        SimConnect_CallDispatch(h, collect, &out);
        return out;
    }

    // Records of one kind among those dispatched now.
    std::vector<Received> drain(DWORD id)
    {
        std::vector<Received> out;
        for (Received& r : drain())
        {
            if (r.id() == id)
            {
                out.push_back(std::move(r));
            }
        }
        return out;
    }

    DWORD lastPacket() const
    {
        DWORD id = 0;
        EXPECT_EQ(SimConnect_GetLastSentPacketID(h, &id), S_OK);
        return id;
    }

    HANDLE h = nullptr;
};

} // namespace ovr::sim::test
