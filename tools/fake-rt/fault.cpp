#include "fake-rt/fault.h"

namespace ovr::fakert
{

namespace
{

bool isLocationTraffic(const FormFields& fields)
{
    return formValue(fields, "querytype") == "locationtraffic";
}

} // namespace

bool isLiveTrafficRequest(const FormFields& fields)
{
    return isLocationTraffic(fields) && !formValue(fields, "buffercount");
}

bool isBufferedTrafficRequest(const FormFields& fields)
{
    return isLocationTraffic(fields) && formValue(fields, "buffercount").has_value();
}

bool isParkedTrafficRequest(const FormFields& fields)
{
    return formValue(fields, "querytype") == "parkedtraffic";
}

std::string gatewayTimeoutPage()
{
    return "<html>\r\n<head><title>504 Gateway Timeout</title></head>\r\n<body>\r\n"
           "<center><h1>504 Gateway Timeout</h1></center>\r\n<hr><center>nginx</center>\r\n"
           "</body>\r\n</html>\r\n";
}

} // namespace ovr::fakert
