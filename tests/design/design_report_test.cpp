// The design report's window side without a display: the name the report is offered under,
// and the write's error.
#include "design/design_report.h"

#include <gtest/gtest.h>

#include "math/design_network.h"
#include "support/files.h"

namespace corvantile {
namespace {

TEST(SuggestedReportFile, TheDesignFilesNameWithPdfOrDesignPdf) {
  EXPECT_EQ(SuggestedReportFile(std::nullopt), "design.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("designs/tank.cfg")), "designs/tank.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("LastSession.CFG")), "LastSession.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("noextension")), "noextension.pdf");
}

TEST(WriteDesignReport, WritesThePdfOrSaysWhyNotInOneLine) {
  const testing::ScratchFolder folder;
  report::ReportInputs inputs;
  inputs.state = MakeDefaultRunState();
  inputs.outcome = RunDesignPass(inputs.state);
  std::string error;
  ASSERT_TRUE(WriteDesignReport(inputs, folder.path() / "r.pdf", error)) << error;
  EXPECT_EQ(testing::ReadBytes(folder.path() / "r.pdf"), report::DesignReportPdf(inputs));
  EXPECT_FALSE(WriteDesignReport(inputs, folder.path() / "missing" / "r.pdf", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace corvantile
