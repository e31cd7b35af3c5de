// Lets tests point the service client at a fake service on a loopback port
// and log in with a licence of their own.
#pragma once

#include <string>

namespace ovr::detail
{

void setRtApiBase(std::string base);
void setRtLicence(std::string licence);

} // namespace ovr::detail
