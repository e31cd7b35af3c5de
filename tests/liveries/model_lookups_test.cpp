#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "dbase_fixture.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"

namespace ovr::test
{
namespace
{

// Types that stand in several class sections, and types in none.
DbaseText lf_classes()
{
    DbaseText text;
    text.aircrafts = R"(<aircraft types="A320, B744, B752, C25C, EC35, F16, S70, C172"/>)";
    text.heavy = R"(<hvy types="B744, B752"/>)";
    text.large = R"(<lar types="A320, B752"/>)";
    text.buzjet = R"(<bzj types="C25C, B744"/>)";
    text.highPerformance = R"(<hpf types="F16, S70"/>)";
    text.rotorcraft = R"(<rot types="EC35, S70"/>)";
    return text;
}

struct CategoryCase
{
    const char* model;
    int category;
};

class CategoryTest : public DbaseTest, public ::testing::WithParamInterface<CategoryCase>
{
};

TEST_P(CategoryTest, CategoryOfModel)
{
    ASSERT_TRUE(read(lf_classes()));
    EXPECT_EQ(gf_categoryOfModelName(GetParam().model), GetParam().category);
    EXPECT_EQ(gf_categoryOfModel(gf_modelId(GetParam().model)), GetParam().category);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, CategoryTest,
    ::testing::Values(CategoryCase{"A320", kCategoryLarge},
                      CategoryCase{"B744", kCategoryHeavy}, // heavy wins over buzjet
                      CategoryCase{"B752", kCategoryLarge}, // large wins over heavy
                      CategoryCase{"C25C", kCategoryBuzjet}, CategoryCase{"EC35", kCategoryRotorcraft},
                      CategoryCase{"S70", kCategoryRotorcraft}, // rotorcraft over high perf.
                      CategoryCase{"F16", kCategoryHighPerformance},
                      CategoryCase{"C172", kCategoryLight},   // known, in no class
                      CategoryCase{"ZZ99", kCategoryLight})); // not known at all

TEST_F(DbaseTest, CategoriesBeforeTheReadAreLight)
{
    EXPECT_EQ(gf_categoryOfModel(gf_modelId("B744")), kCategoryLight);
    EXPECT_EQ(gf_wingspanOf(gf_modelId("B744")), 0.0);
}

struct KnownCase
{
    const char* text;
    bool model;
    bool airline;
};

class KnownCodeTest : public DbaseTest, public ::testing::WithParamInterface<KnownCase>
{
};

TEST_P(KnownCodeTest, ExactMembership)
{
    ASSERT_TRUE(read(DbaseText{}));
    EXPECT_EQ(gf_isKnownModel(GetParam().text), GetParam().model);
    EXPECT_EQ(gf_isKnownAirline(GetParam().text), GetParam().airline);
}

INSTANTIATE_TEST_SUITE_P(Codes, KnownCodeTest,
                         ::testing::Values(KnownCase{"A320", true, false}, KnownCase{"a320", false, false},
                                           KnownCase{"A320 ", false, false}, KnownCase{"KLM", false, true},
                                           KnownCase{"klm", false, false},
                                           KnownCase{"FDX", false,
                                                     false}, // a cargo operator is not an ICAO airline
                                           KnownCase{"", false, false}));

TEST_F(DbaseTest, FixedModelNames)
{
    DbaseText text;
    text.fixes = R"(<fx wro="B74F" cor="B744"/><fx wro="A32O" cor="A320"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(gf_fixedModelName("B74F"), "B744");
    EXPECT_EQ(gf_fixedModelName("B744"), std::nullopt); // a correction is not itself a wrong name
    EXPECT_EQ(gf_fixedModelName("b74f"), std::nullopt);
    EXPECT_EQ(gf_fixedModelName(""), std::nullopt);
}

TEST_F(DbaseTest, ModelPoolCorrectsWrongNamesWithoutGrowing)
{
    DbaseText text;
    text.fixes = R"(<fx wro="B7FX" cor="B744"/>)";
    ASSERT_TRUE(read(text));
    std::size_t size = g_modelCodes.size();
    EXPECT_EQ(gf_modelId("B7FX"), gf_modelId("B744"));
    EXPECT_EQ(g_modelCodes.size(), size);
    EXPECT_EQ(gf_categoryOfModelName("B7FX"), kCategoryHeavy);
}

TEST_F(DbaseTest, WingspanTableCoversThePoolAndNewTypesReadZero)
{
    DbaseText text;
    text.wingspans = R"(<wingspan type="C172" meters="11"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(g_wingspanTable.size(), g_modelCodes.size());
    EXPECT_DOUBLE_EQ(gf_wingspanOf(gf_modelId("C172")), 5.5 / 1852);
    // Types met later (traffic, scans) and ids far outside the pool have no
    // wingspan: the caller falls back to g_maxWingSpan.
    EXPECT_EQ(gf_wingspanOf(gf_modelId("NEW1")), 0.0);
    EXPECT_EQ(gf_wingspanOf(2700), 0.0);
    EXPECT_EQ(gf_wingspanOf(65535), 0.0);
    EXPECT_DOUBLE_EQ(g_maxWingSpan, 5.5 / 1852);
}

} // namespace
} // namespace ovr::test
