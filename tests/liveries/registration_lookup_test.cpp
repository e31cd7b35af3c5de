#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "dbase_fixture.h"
#include "liveries/registration_lookup.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace ovr::test
{
namespace
{

struct VariantsCase
{
    const char* registration;
    std::vector<std::string> variants;
};

class RegistrationVariantsTest : public ::testing::TestWithParam<VariantsCase>
{
};

TEST_P(RegistrationVariantsTest, Spellings)
{
    EXPECT_THAT(gf_registrationVariants(GetParam().registration), ElementsAreArray(GetParam().variants));
    EXPECT_THAT(gf_nameVariants(GetParam().registration), ElementsAreArray(GetParam().variants));
}

INSTANTIATE_TEST_SUITE_P(Registrations, RegistrationVariantsTest,
                         ::testing::Values(VariantsCase{"DAIBC", {"DA-IBC", "D-AIBC", "DAIBC"}},
                                           VariantsCase{"9VSKA", {"9V-SKA", "9-VSKA", "9VSKA"}},
                                           VariantsCase{"N12345",
                                                        {"N12345"}}, // US registrations carry no dash
                                           VariantsCase{"D-AIBC", {"D-AIBC"}}, VariantsCase{"GABC", {"GABC"}},
                                           VariantsCase{"", {""}}));

class RegistrationKeyTest : public DbaseTest
{
  protected:
    void SetUp() override
    {
        DbaseTest::SetUp();
        DbaseText text;
        text.dbase = R"(<d r="D-AIBC" a="DLH" m="A320"/><d r="PH-BXA" a="KLM" m="B744"/>)"
                     R"(<d r="HBJNA" a="DLH" m="B744" c="1"/><d r="N123AB" a="KLM" m="A320"/>)"
                     R"(<d r="G-STBA" a="KLM" m="A320"/><d r="GS-TBA" a="DLH" m="B744"/>)";
        ASSERT_TRUE(read(text));
    }
};

TEST_F(RegistrationKeyTest, FindsTheRecordOfTheFirstSpellingFound)
{
    struct Case
    {
        const char* registration;
        const char* airline; // nullptr: no record
    } cases[] = {
        {"D-AIBC", "DLH"}, {"DAIBC", "DLH"}, // found by its second spelling
        {"PHBXA", "KLM"},  {"HBJNA", "DLH"}, // stored without a dash: found by the text itself
        {"N123AB", "KLM"}, {"GSTBA", "DLH"}, // GS-TBA is tried before G-STBA
        {"G-STBA", "KLM"}, {"D-AIBX", nullptr}, {"daibc", nullptr}, {"", nullptr},
    };
    for (const Case& c : cases)
    {
        auto key = gf_findRegistrationKey(c.registration);
        EXPECT_EQ(gf_cachedNameVariants(c.registration), key) << c.registration;
        if (!c.airline)
        {
            EXPECT_FALSE(key) << c.registration;
            continue;
        }
        ASSERT_TRUE(key) << c.registration;
        EXPECT_EQ(key->airline, gf_airlineId(c.airline)) << c.registration;
        EXPECT_EQ(key->mark, 1) << c.registration;
    }
}

TEST_F(RegistrationKeyTest, KeyCarriesTypeAndCargoFlag)
{
    auto key = gf_findRegistrationKey("HBJNA");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->model, gf_modelId("B744"));
    EXPECT_EQ(key->cargo, 1);
    EXPECT_EQ(key->secondAirline, 0);
}

} // namespace
} // namespace ovr::test
