#include "fake-rt/registration_pattern.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace ovr::fakert
{

namespace
{

constexpr const char* kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kDigits = "0123456789";

struct Place
{
    std::size_t at;
    std::string choices;
};

// The pattern with every variable place at its first choice, and the places.
// False when a '[' is not closed or a class is empty.
bool parse(const std::string& pattern, std::string& first, std::vector<Place>& places)
{
    for (std::size_t i = 0; i < pattern.size(); ++i)
    {
        const char c = pattern[i];
        if (c == '?' || c == '#')
        {
            places.push_back({first.size(), c == '?' ? kLetters : kDigits});
            first += places.back().choices[0];
        }
        else if (c == '[')
        {
            const std::size_t close = pattern.find(']', i);
            if (close == std::string::npos || close == i + 1)
            {
                return false;
            }
            places.push_back({first.size(), pattern.substr(i + 1, close - i - 1)});
            first += places.back().choices[0];
            i = close;
        }
        else
        {
            first += c;
        }
    }
    return true;
}

} // namespace

bool isRegistrationPattern(const std::string& pattern)
{
    std::string first;
    std::vector<Place> places;
    if (!parse(pattern, first, places) || first.empty() || first.size() > 12)
    {
        return false;
    }
    return std::all_of(first.begin(), first.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
}

unsigned long long registrationCount(const std::string& pattern)
{
    std::string first;
    std::vector<Place> places;
    unsigned long long count = 1;
    if (parse(pattern, first, places))
    {
        for (const Place& p : places)
        {
            count *= p.choices.size();
        }
    }
    return count;
}

std::string fillRegistration(const std::string& pattern, unsigned long long index)
{
    std::string out;
    std::vector<Place> places;
    if (!parse(pattern, out, places))
    {
        return pattern;
    }
    index %= registrationCount(pattern);
    for (auto it = places.rbegin(); it != places.rend(); ++it)
    {
        const std::size_t n = it->choices.size();
        out[it->at] = it->choices[static_cast<std::size_t>(index % n)];
        index /= n;
    }
    return out;
}

} // namespace ovr::fakert
