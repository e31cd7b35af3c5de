#include "core/received_record.h"

#include <algorithm>
#include <cstring>

namespace ovr
{

namespace
{

// The data block begins at the record's last DWORD, dwData.
constexpr std::size_t kDataOffset = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD);

template <class T> T lf_read(std::span<const std::byte> block, std::size_t offset)
{
    T value{};
    if (offset <= block.size() && block.size() - offset >= sizeof(T))
    {
        std::memcpy(&value, block.data() + offset, sizeof(T));
    }
    return value;
}

std::string lf_textWithin(std::span<const std::byte> block, std::size_t offset, std::size_t limit)
{
    if (offset >= block.size())
    {
        return {};
    }
    const auto* text = reinterpret_cast<const char*>(block.data() + offset);
    return gf_fieldText(text, std::min(limit, block.size() - offset));
}

} // namespace

DWORD gf_recordBytes(const SIMCONNECT_RECV& record, DWORD size)
{
    return std::min(record.dwSize, size);
}

double ObjectData::f64(std::size_t offset) const
{
    return lf_read<double>(block, offset);
}

std::int64_t ObjectData::i64(std::size_t offset) const
{
    return lf_read<std::int64_t>(block, offset);
}

std::string ObjectData::string32(std::size_t offset) const
{
    return lf_textWithin(block, offset, 32);
}

std::string ObjectData::stringV(std::size_t offset) const
{
    return lf_textWithin(block, offset, block.size());
}

std::optional<ObjectData> gf_objectData(const SIMCONNECT_RECV& record, DWORD size)
{
    const DWORD bytes = gf_recordBytes(record, size);
    const auto* data = gf_recordAs<SIMCONNECT_RECV_SIMOBJECT_DATA>(record, size);
    if (data == nullptr)
    {
        return std::nullopt;
    }
    const auto* start = reinterpret_cast<const std::byte*>(&record) + kDataOffset;
    return ObjectData{data->dwRequestID, data->dwObjectID, {start, bytes - kDataOffset}};
}

std::string gf_fieldText(const char* field, std::size_t fieldBytes)
{
    const void* end = std::memchr(field, '\0', fieldBytes);
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : fieldBytes;
    return std::string(field, length);
}

} // namespace ovr
