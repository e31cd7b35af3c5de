// A client's data definition: variables in the order they were added, which
// is also the order and layout of the data block sent or set.
#pragma once

#include "platform/simconnect/sim_variables.h"
#include "platform/simconnect/simconnect.h"

#include <cstddef>
#include <string>
#include <vector>

namespace ovr::sim::detail
{

struct DataField
{
    std::string name;
    std::string units;
    SIMCONNECT_DATATYPE type = SIMCONNECT_DATATYPE_FLOAT64;
    BoundVariable var;
};

// Bytes a field takes in a block; 0 for the variable-length STRINGV.
std::size_t fieldSize(SIMCONNECT_DATATYPE type);

// Whether a variable can be carried by the data type (text in strings,
// numbers in numbers); other types are not served.
bool typeFits(SIMCONNECT_DATATYPE type, const BoundVariable& var);

struct DataDefinition
{
    std::vector<DataField> fields;

    bool variableSize() const;
    std::size_t fixedSize() const;
};

// The data block of the object: FLOAT64 and INT64 as 8 bytes, STRING32 as
// 32 bytes (at most 31 characters and a NUL), STRINGV as its text and a NUL.
std::vector<std::byte> serialise(const DataDefinition& def, const ObjectState& object,
                                 const VarContext& context);

// Stores a block of fixedSize() bytes into the object's settable variables;
// read-only variables are left as they are.
void applyBlock(const DataDefinition& def, ObjectState& object, const std::byte* data);

} // namespace ovr::sim::detail
