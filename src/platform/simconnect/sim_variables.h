// The simulation variables that the stand-in knows, each kept in one native
// unit and converted to the units a data definition asks for.
#pragma once

#include "platform/simconnect/sim_object.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovr::sim::detail
{

enum class Dimension
{
    angle,
    length,
    speed,
    time,
    temperature,
    count,
    percent,
    text,
};

// What a variable reads besides the object itself.
struct VarContext
{
    double groundFt = 0.0;
    double zuluSeconds = 0.0;
    int zuluDayOfYear = 1;
    int zuluYear = 2024;
};

struct SimVariable
{
    const char* name; // upper case, as the simulator lists it
    Dimension dimension;
    double nativeToSi; // size of the native unit in SI units
    int maxIndex;      // 0: no ":n" suffix; else 1..maxIndex
    double (*get)(const ObjectState&, const VarContext&, int index);
    void (*set)(ObjectState&, double value, int index); // nullptr: read-only
    std::string (*getText)(const ObjectState&);
    void (*setText)(ObjectState&, std::string value);
};

// A variable bound to the units a definition asked for.
struct BoundVariable
{
    const SimVariable* var = nullptr;
    int index = 0;
    double scale = 1.0; // value in the asked units = native value * scale

    bool isText() const { return var->dimension == Dimension::text; }
    double read(const ObjectState& o, const VarContext& c) const { return var->get(o, c, index) * scale; }
    std::string readText(const ObjectState& o) const { return var->getText(o); }
    void write(ObjectState& o, double value) const;
    void writeText(ObjectState& o, std::string value) const;
};

// The variable of a name such as "PLANE LATITUDE" or "GENERAL ENG THROTTLE
// LEVER POSITION:1" (case-blind), or nullptr.
const SimVariable* findVariable(std::string_view name, int& index);

// The factor from the variable's native unit to the named units, or nothing
// when the units are unknown or measure something else. Null units mean the
// native unit; text variables take no units.
std::optional<double> unitScale(const SimVariable& var, const char* units);

} // namespace ovr::sim::detail
