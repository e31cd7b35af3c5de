// The similar types with liveries, and each airline's substitutes.

#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "liveries/livery_tables.h"
#include "liveries/similar_models.h"
#include "tables_fixture.h"

namespace ovr::test
{
namespace
{

std::vector<std::string> lf_codes(const ModelIds& ids)
{
    std::vector<std::string> codes;
    for (std::uint16_t id : ids)
        codes.push_back(g_modelCodes.text(id));
    return codes;
}

using Codes = std::vector<std::string>;

// The database groups A319, A320, A321 and E190, E195.
TEST_F(TablesTest, OnlyTypesWithLiveriesAreSimilarAndAnAirlineTakesWhatItFlies)
{
    writeScanned(
        {livery("DLH", "A320", "a320"), livery("DLH", "A321", "a321"), livery("KLM", "A321", "k321")});
    gf_processScannedLiveries();

    EXPECT_EQ(g_similarModels.size(), 3u);
    EXPECT_EQ(lf_codes(g_similarModels.at(gf_modelId("A319"))), (Codes{"A320", "A321"}));
    EXPECT_EQ(lf_codes(g_similarModels.at(gf_modelId("A320"))), Codes{"A321"});
    EXPECT_EQ(lf_codes(g_similarModels.at(gf_modelId("A321"))), Codes{"A320"});
    EXPECT_FALSE(g_similarModels.contains(gf_modelId("E190")));
    EXPECT_FALSE(g_similarModels.contains(gf_modelId("E195")));

    const auto& dlh = g_airlineSubstitutes.at(gf_airlineId("DLH"));
    EXPECT_EQ(dlh.size(), 1u);
    EXPECT_EQ(lf_codes(dlh.at(gf_modelId("A319"))), (Codes{"A320", "A321"}));
    const auto& klm = g_airlineSubstitutes.at(gf_airlineId("KLM"));
    EXPECT_EQ(klm.size(), 2u);
    EXPECT_EQ(lf_codes(klm.at(gf_modelId("A319"))), Codes{"A321"});
    EXPECT_EQ(lf_codes(klm.at(gf_modelId("A320"))), Codes{"A321"});
    EXPECT_EQ(logLinesWith("similar model definitions"),
              std::vector<std::string>{"    3 similar model definitions"});
}

TEST_F(TablesTest, ATypeWhoseGroupHasLiveriesOfItAloneHasNoSimilarTypes)
{
    writeScanned({livery("DLH", "A321", "a321")});
    gf_processScannedLiveries();
    EXPECT_EQ(lf_codes(g_similarModels.at(gf_modelId("A319"))), Codes{"A321"});
    EXPECT_EQ(lf_codes(g_similarModels.at(gf_modelId("A320"))), Codes{"A321"});
    EXPECT_FALSE(g_similarModels.contains(gf_modelId("A321")));
}

} // namespace
} // namespace ovr::test
