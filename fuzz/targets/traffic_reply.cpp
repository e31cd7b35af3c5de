// A whole reply to the traffic request, taken as the Traffic Reader takes it
// after the transfer, both ways it knows: as the buffered reply of a
// session's first request ("buffer_4" ... "buffer_0", handed over snapshot
// by snapshot) and as a live reply (handed over as one batch, stamped with
// its play moments); each with its aircraft kept as the reply is checked,
// and read a second time as a long reply's are. A reply the reader refuses
// ends in an exception that the reader catches and logs; so does this.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

#include "fuzz_support.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    static const bool ready = []
    {
        fuzz::setUpTrafficState();
        const std::scoped_lock lock(g_trafficMutex);
        g_running = 1;
        return true;
    }();
    (void)ready;
    fuzz::countInput();
    TrafficReader& reader = g_trafficReader;
    const std::string reply(fuzz::asText(data, size));
    // Both ways the reader can take a reply's aircraft: kept as it is
    // checked, and (as a long reply) read a second time.
    for (const std::size_t rereadAbove : {kRereadAbove, std::size_t{0}})
    {
        reader.replies.setRereadAbove(rereadAbove);
        try
        {
            std::int32_t status = 0;
            (void)reader.takeBufferedReply(reply, status);
        }
        catch (const std::exception&)
        {
            // the reader logs it and goes on with live requests
        }
        reader.liveRecords.clear();
        reader.takeCollected();
        try
        {
            (void)reader.takeLiveReply(reply);
        }
        catch (const std::exception&)
        {
            // the reader logs it and asks again
        }
        reader.liveRecords.clear();
        {
            const std::scoped_lock lock(g_trafficMutex);
            g_trafficHandover.clear();
        }
    }
    reader.replies.setRereadAbove(kRereadAbove);
    return 0;
}
