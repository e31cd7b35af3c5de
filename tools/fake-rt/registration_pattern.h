// Registration patterns of the scenario fleets: "D-AI[PQUZ]?" stands for
// D-AIPA to D-AIZZ, with '?' a letter, '#' a digit and "[...]" one of the
// characters listed.
#pragma once

#include <string>

namespace ovr::fakert
{

// Whether the text is a pattern whose registrations have 1 to 12 characters.
bool isRegistrationPattern(const std::string& pattern);
// How many registrations the pattern stands for.
unsigned long long registrationCount(const std::string& pattern);
// The registration number index (wrapping around), counted with the last
// variable place changing fastest.
std::string fillRegistration(const std::string& pattern, unsigned long long index);

} // namespace ovr::fakert
