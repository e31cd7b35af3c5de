// The fields of an application/x-www-form-urlencoded request body, decoded
// by hand so that the request log keeps the order in which the client sent
// them (a parsed parameter map would lose it).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::fakert
{

struct FormField
{
    std::string name;
    std::string value;

    bool operator==(const FormField&) const = default;
};

using FormFields = std::vector<FormField>;

// %XX escapes and '+' as a blank; a '%' without two hex digits after it is
// kept as it is, as lenient web servers do.
std::string percentDecode(std::string_view text);

// Every "name=value" pair between '&'s, in body order; empty pairs are
// skipped and a pair without '=' has an empty value.
FormFields parseFormBody(std::string_view body);

// The value of the first field of that name.
std::optional<std::string> formValue(const FormFields& fields, std::string_view name);

} // namespace ovr::fakert
