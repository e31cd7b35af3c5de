#include "platform/simconnect/data_definition.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ovr::sim::detail
{
namespace
{

constexpr std::size_t kString32 = 32;

template <class T> void appendValue(std::vector<std::byte>& out, T value)
{
    const auto at = out.size();
    out.resize(at + sizeof(T));
    std::memcpy(out.data() + at, &value, sizeof(T));
}

// A value outside the integer range (or not a number) cannot be carried.
std::int64_t toInt64(double v)
{
    constexpr double kLimit = 9.2e18;
    return std::isfinite(v) && std::abs(v) < kLimit ? static_cast<std::int64_t>(v) : 0;
}

template <class T> T readValue(const std::byte* p)
{
    T value{};
    std::memcpy(&value, p, sizeof(T));
    return value;
}

} // namespace

std::size_t fieldSize(SIMCONNECT_DATATYPE type)
{
    switch (type)
    {
    case SIMCONNECT_DATATYPE_INT64:
    case SIMCONNECT_DATATYPE_FLOAT64:
        return 8;
    case SIMCONNECT_DATATYPE_STRING32:
        return kString32;
    case SIMCONNECT_DATATYPE_STRINGV:
        return 0;
    }
    return 0;
}

bool typeFits(SIMCONNECT_DATATYPE type, const BoundVariable& var)
{
    switch (type)
    {
    case SIMCONNECT_DATATYPE_INT64:
    case SIMCONNECT_DATATYPE_FLOAT64:
        return !var.isText();
    case SIMCONNECT_DATATYPE_STRING32:
    case SIMCONNECT_DATATYPE_STRINGV:
        return var.isText();
    }
    return false;
}

bool DataDefinition::variableSize() const
{
    return std::any_of(fields.begin(), fields.end(),
                       [](const DataField& f) { return f.type == SIMCONNECT_DATATYPE_STRINGV; });
}

std::size_t DataDefinition::fixedSize() const
{
    std::size_t size = 0;
    for (const DataField& f : fields)
    {
        size += fieldSize(f.type);
    }
    return size;
}

std::vector<std::byte> serialise(const DataDefinition& def, const ObjectState& object,
                                 const VarContext& context)
{
    std::vector<std::byte> out;
    out.reserve(def.fixedSize() + 64);
    for (const DataField& f : def.fields)
    {
        switch (f.type)
        {
        case SIMCONNECT_DATATYPE_FLOAT64:
            appendValue(out, f.var.read(object, context));
            break;
        case SIMCONNECT_DATATYPE_INT64:
            appendValue(out, toInt64(f.var.read(object, context)));
            break;
        case SIMCONNECT_DATATYPE_STRING32:
        {
            const std::string text = f.var.readText(object);
            const auto at = out.size();
            out.resize(at + kString32); // zero filled: the text keeps its NUL
            std::memcpy(out.data() + at, text.data(), std::min(text.size(), kString32 - 1));
            break;
        }
        case SIMCONNECT_DATATYPE_STRINGV:
        {
            const std::string text = f.var.readText(object);
            const auto at = out.size();
            out.resize(at + text.size() + 1);
            std::memcpy(out.data() + at, text.data(), text.size());
            break;
        }
        }
    }
    return out;
}

void applyBlock(const DataDefinition& def, ObjectState& object, const std::byte* data)
{
    for (const DataField& f : def.fields)
    {
        switch (f.type)
        {
        case SIMCONNECT_DATATYPE_FLOAT64:
            f.var.write(object, readValue<double>(data));
            break;
        case SIMCONNECT_DATATYPE_INT64:
            f.var.write(object, static_cast<double>(readValue<std::int64_t>(data)));
            break;
        case SIMCONNECT_DATATYPE_STRING32:
        {
            const auto* chars = reinterpret_cast<const char*>(data);
            f.var.writeText(object, std::string(chars, strnlen(chars, kString32)));
            break;
        }
        case SIMCONNECT_DATATYPE_STRINGV:
            break; // never in a block that is set
        }
        data += fieldSize(f.type);
    }
}

} // namespace ovr::sim::detail
