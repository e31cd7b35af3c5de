// parameters.xml is saved from the UI thread and the start-up thread at the
// same time, and text settings are read while another thread sets them.
#include "parameters_fixture.h"

#include <array>
#include <thread>

namespace ovr::test
{
namespace
{

using ParametersConcurrency = ParametersFileTest;

constexpr int kThreads = 4;
constexpr int kSaves = 20;

TEST_F(ParametersConcurrency, ConcurrentSingleSavesLoseNoValue)
{
    ASSERT_TRUE(gf_readParameters());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [t]
            {
                StringParameter& folder = *g_liveryFolders[static_cast<std::size_t>(t)];
                for (int n = 0; n < kSaves; ++n)
                {
                    gf_setParameter(folder, "thread " + std::to_string(t) + " save " + std::to_string(n));
                    g_intListParameters[static_cast<std::size_t>(t)]->current = n;
                    gf_saveParameter(*g_intListParameters[static_cast<std::size_t>(t)]);
                }
            });
    }
    // Meanwhile the whole file is read and completed again.
    for (int n = 0; n < 5; ++n)
    {
        gf_readParameters();
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }

    EXPECT_EQ(fileKeys(file()), registryKeys());
    for (int t = 0; t < kThreads; ++t)
    {
        const std::string key = g_liveryFolders[static_cast<std::size_t>(t)]->name;
        EXPECT_EQ(fileValue(key), "thread " + std::to_string(t) + " save " + std::to_string(kSaves - 1))
            << key;
    }
}

TEST_F(ParametersConcurrency, TextSettingsAreNeverSeenHalfWritten)
{
    const std::array<std::string, 2> texts = {std::string(200, 'a'), std::string(300, 'b')};
    DESTINATION.setValue(texts[0]);
    std::atomic<bool> done{false};
    std::thread writer(
        [&]
        {
            for (std::size_t n = 0; !done; ++n)
            {
                DESTINATION.setValue(texts[n % 2]);
            }
        });
    std::thread saver(
        [&]
        {
            while (!done)
            {
                gf_writeParameter(DESTINATION);
            }
        });
    bool whole = true;
    for (int n = 0; n < 2000 && whole; ++n)
    {
        const std::string value = DESTINATION.value();
        whole = value == texts[0] || value == texts[1];
    }
    EXPECT_TRUE(whole);
    gf_writeParameter(DESTINATION);
    done = true;
    writer.join();
    saver.join();
    const std::string saved = fileValue("DESTINATION");
    EXPECT_TRUE(saved == texts[0] || saved == texts[1]) << saved.size();
}

} // namespace
} // namespace ovr::test
