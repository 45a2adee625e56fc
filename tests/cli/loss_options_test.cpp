// The loss options read into the loss model, and bad values refused with one line each.
#include "cli/loss_options.h"

#include <gtest/gtest.h>

namespace corvantile::cli {
namespace {

struct LossOptionCase {
  std::string_view name, value;
  bool accepted;
};

class LossOptionTest : public ::testing::TestWithParam<LossOptionCase> {};

TEST_P(LossOptionTest, AcceptsNumbersAndRefusesTheRest) {
  LossOptions options;
  std::string error;
  const LossOptionCase& c = GetParam();
  EXPECT_EQ(ApplyLossOption(c.name, c.value, options, error), c.accepted) << c.name << c.value;
  EXPECT_EQ(error.empty(), c.accepted) << error;
  EXPECT_EQ(options.given, c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LossOptionTest,
    ::testing::Values(
        LossOptionCase{"--q-inductor", "150", true}, LossOptionCase{"--q-capacitor", "ideal", true},
        LossOptionCase{"--q2", "0", true}, LossOptionCase{"--q-law-inductor", "1", true},
        LossOptionCase{"--q-law-capacitor", "0.5", true}, LossOptionCase{"--compensate", "", true},
        LossOptionCase{"--q1", "-5", false}, LossOptionCase{"--q3", "abc", false},
        LossOptionCase{"--q-inductor", "", false}, LossOptionCase{"--q-law-inductor", "9", false},
        LossOptionCase{"--q-law-capacitor", "nan", false}, LossOptionCase{"--q4", "10", false}));

TEST(LossOptionsTest, OptionsSetTheModel) {
  LossOptions options;
  std::string error;
  ASSERT_TRUE(ApplyLossOption("--q-inductor", "200", options, error));
  ASSERT_TRUE(ApplyLossOption("--q-law-inductor", "0", options, error));
  ASSERT_TRUE(ApplyLossOption("--q-capacitor", "2000", options, error));
  ASSERT_TRUE(ApplyLossOption("--q3", "ideal", options, error));
  EXPECT_EQ(options.model.inductor.q0, 200.0);
  EXPECT_EQ(options.model.inductor.law, 0.0);
  EXPECT_EQ(options.model.capacitor.q0, 2000.0);
  EXPECT_EQ(options.model.capacitor.law, kDefaultCapacitorLaw);
  EXPECT_EQ(ElementQ(options.model, 1, PartKind::Capacitor).q0, 2000.0);
  EXPECT_FALSE(IsLossy(ElementQ(options.model, 3, PartKind::Capacitor)));
  EXPECT_FALSE(options.compensate);
  // --compensate is a flag, the other loss options take a value; explore and band omit it.
  LossOptions read;
  for (const OptionDecl& decl : LossGroup(read, "").options) {
    EXPECT_EQ(decl.value_name.empty(), decl.name == "--compensate") << decl.name;
  }
  EXPECT_EQ(LossGroup(read, "").options.size(),
            LossGroup(read, "", CompensateOption::Omitted).options.size() + 1);
}

}  // namespace
}  // namespace corvantile::cli
