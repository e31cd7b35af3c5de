#include "core/library_init.h"

#include <gtest/gtest.h>
#include <sodium.h>

namespace ovr
{
namespace
{

TEST(LibraryInit, RunsOnceAndLeavesSodiumReady)
{
    EXPECT_NO_THROW(gf_initLibraries());
    EXPECT_NO_THROW(gf_initLibraries());
    EXPECT_EQ(sodium_init(), 1); // 1: already initialised
}

} // namespace
} // namespace ovr
