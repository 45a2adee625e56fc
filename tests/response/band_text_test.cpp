// Bands typed into the response window's pages: what reads, what is refused and why, and the
// text shown reading back to the same band.
#include "response/band_text.h"

#include <gtest/gtest.h>

namespace corvantile {
namespace {

struct BandCase {
  const char* text;
  std::optional<std::array<double, 2>> band;
  const char* error;  // a part of the error, "" when the text reads
};

class ReadBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(ReadBandTest, ReadsOrSaysWhy) {
  const BandCase& c = GetParam();
  const BandReading r = ReadBand(c.text);
  EXPECT_EQ(r.band, c.band);
  if (*c.error == '\0') {
    EXPECT_TRUE(r.Ok()) << r.error;
  } else {
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadBandTest,
    ::testing::Values(BandCase{"3.6M:3.9M", std::array<double, 2>{3.6e6, 3.9e6}, ""},
                      BandCase{"  3.6M : 3.9M ", std::array<double, 2>{3.6e6, 3.9e6}, ""},
                      BandCase{"3600000:3.9e6", std::array<double, 2>{3.6e6, 3.9e6}, ""},
                      BandCase{"", std::nullopt, ""}, BandCase{"   ", std::nullopt, ""},
                      BandCase{"3.9M:3.6M", std::nullopt, "must end above its start"},
                      BandCase{"3.6M:3.6M", std::nullopt, "must end above its start"},
                      BandCase{"0:3.6M", std::nullopt, "above 0 Hz"},
                      BandCase{"-1M:3.6M", std::nullopt, "above 0 Hz"},
                      BandCase{"3.6M", std::nullopt, "is not a band F1:F2"},
                      BandCase{"1:2:3", std::nullopt, "is not a band F1:F2"},
                      BandCase{"3,6M:3,9M", std::nullopt, "'3,6M' is not a value"},
                      BandCase{"abc:3M", std::nullopt, "'abc' is not a value"},
                      BandCase{"1M:50G", std::nullopt, "outside -10G to 10G"}));

TEST(ReadBandsTest, SeveralBandsInOrder) {
  const BandsReading r = ReadBands("3.5M:3.8M, 7M:7.2M; 1.8M:2M,");
  ASSERT_TRUE(r.Ok()) << r.error;
  ASSERT_EQ(r.bands.size(), 3u);
  EXPECT_EQ(r.bands[0].from, 3.5e6);
  EXPECT_EQ(r.bands[1].to, 7.2e6);
  EXPECT_EQ(r.bands[2].from, 1.8e6);
  EXPECT_TRUE(ReadBands("").bands.empty());
  EXPECT_TRUE(ReadBands("").Ok());
}

TEST(ReadBandsTest, OneBadBandRefusesThemAll) {
  const BandsReading bad = ReadBands("3.5M:3.8M, 7.2M:7M");
  EXPECT_TRUE(bad.bands.empty());
  EXPECT_NE(bad.error.find("must end above its start"), std::string::npos) << bad.error;
  const BandsReading overlap = ReadBands("3.5M:3.8M, 3.7M:4M");
  EXPECT_TRUE(overlap.bands.empty());
  EXPECT_EQ(overlap.error, "bands 3.5M:3.8M and 3.7M:4M overlap");
}

TEST(BandTextTest, ReadsBackToTheSameBand) {
  const std::array<double, 2> bands[] = {
      {3.6e6, 3.9e6}, {950.0, 1050.0}, {1.2e9, 1.8e9}, {3.123456e6, 3.9e6}, {1e3, 2.5e3}};
  for (const auto& band : bands) {
    const std::string text = BandEntryText(band);
    EXPECT_EQ(ReadBand(text).band, band) << text;
  }
  EXPECT_EQ(BandEntryText({3.6e6, 3.9e6}), "3.6M:3.9M");
  EXPECT_EQ(BandsEntryText({{3.5e6, 3.8e6}, {7e6, 7.2e6}}), "3.5M:3.8M, 7M:7.2M");
}

}  // namespace
}  // namespace corvantile
