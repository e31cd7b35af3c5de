// One record that the simulator sends a client: a SIMCONNECT_RECV of some
// kind, followed for the data records by their data block. Records are held
// in 8-byte aligned storage so that clients may read them in place.
#pragma once

#include "platform/simconnect/simconnect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <vector>

namespace ovr::sim::detail
{

// The protocol version the stand-in stamps on every record.
constexpr DWORD kRecvVersion = 6;

// The record kind's name, for the trace.
constexpr const char* recvName(DWORD id)
{
    switch (id)
    {
    case SIMCONNECT_RECV_ID_EXCEPTION:
        return "EXCEPTION";
    case SIMCONNECT_RECV_ID_OPEN:
        return "OPEN";
    case SIMCONNECT_RECV_ID_QUIT:
        return "QUIT";
    case SIMCONNECT_RECV_ID_EVENT:
        return "EVENT";
    case SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE:
        return "EVENT_OBJECT_ADDREMOVE";
    case SIMCONNECT_RECV_ID_EVENT_FILENAME:
        return "EVENT_FILENAME";
    case SIMCONNECT_RECV_ID_EVENT_FRAME:
        return "EVENT_FRAME";
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
        return "SIMOBJECT_DATA";
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
        return "SIMOBJECT_DATA_BYTYPE";
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
        return "ASSIGNED_OBJECT_ID";
    case SIMCONNECT_RECV_ID_SYSTEM_STATE:
        return "SYSTEM_STATE";
    case SIMCONNECT_RECV_ID_FACILITY_DATA:
        return "FACILITY_DATA";
    case SIMCONNECT_RECV_ID_FACILITY_DATA_END:
        return "FACILITY_DATA_END";
    default:
        return "OTHER";
    }
}

class Message
{
  public:
    // A record of type Rec with nothing after it, zero filled.
    template <class Rec> static Message make(SIMCONNECT_RECV_ID id, Rec*& out)
    {
        Message m(sizeof(Rec));
        out = m.construct<Rec>(id);
        return m;
    }

    // A record whose last DWORD (dwData, Data) is where the data block
    // starts; the block is padded with zeros to whole DWORDs.
    template <class Rec>
    static Message withData(SIMCONNECT_RECV_ID id, std::span<const std::byte> data, Rec*& out)
    {
        constexpr std::size_t kDataAt = sizeof(Rec) - sizeof(DWORD);
        const std::size_t padded = std::max<std::size_t>(sizeof(DWORD), (data.size() + 3) / 4 * 4);
        Message m(kDataAt + padded);
        out = m.construct<Rec>(id);
        if (!data.empty())
        {
            std::memcpy(m.bytes() + kDataAt, data.data(), data.size());
        }
        return m;
    }

    SIMCONNECT_RECV* recv() { return reinterpret_cast<SIMCONNECT_RECV*>(storage_.data()); }
    const SIMCONNECT_RECV* recv() const { return reinterpret_cast<const SIMCONNECT_RECV*>(storage_.data()); }
    DWORD size() const { return recv()->dwSize; }

  private:
    explicit Message(std::size_t size) : storage_((size + 7) / 8, 0), size_(static_cast<DWORD>(size)) {}

    std::byte* bytes() { return reinterpret_cast<std::byte*>(storage_.data()); }

    template <class Rec> Rec* construct(SIMCONNECT_RECV_ID id)
    {
        Rec* rec = new (storage_.data()) Rec{};
        rec->dwSize = size_;
        rec->dwVersion = kRecvVersion;
        rec->dwID = id;
        return rec;
    }

    std::vector<std::uint64_t> storage_;
    DWORD size_;
};

} // namespace ovr::sim::detail
