#include "fake-rt/form_body.h"

namespace ovr::fakert
{

namespace
{

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '+')
        {
            out += ' ';
            continue;
        }
        if (c == '%' && i + 2 < text.size())
        {
            const int hi = hexDigit(text[i + 1]);
            const int lo = hexDigit(text[i + 2]);
            if (hi >= 0 && lo >= 0)
            {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += c;
    }
    return out;
}

FormFields parseFormBody(std::string_view body)
{
    FormFields fields;
    std::size_t start = 0;
    while (start <= body.size())
    {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos)
        {
            end = body.size();
        }
        const std::string_view pair = body.substr(start, end - start);
        if (!pair.empty())
        {
            const std::size_t eq = pair.find('=');
            if (eq == std::string_view::npos)
            {
                fields.push_back({percentDecode(pair), ""});
            }
            else
            {
                fields.push_back({percentDecode(pair.substr(0, eq)), percentDecode(pair.substr(eq + 1))});
            }
        }
        start = end + 1;
    }
    return fields;
}

std::optional<std::string> formValue(const FormFields& fields, std::string_view name)
{
    for (const FormField& f : fields)
    {
        if (f.name == name)
        {
            return f.value;
        }
    }
    return std::nullopt;
}

} // namespace ovr::fakert
