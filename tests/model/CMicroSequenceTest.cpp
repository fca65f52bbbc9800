#include "model/CMicroSequence.h"

#include <gtest/gtest.h>

#include "model/CKsvTestOptions.h"
#include "model/GDeclares.h"
#include "testing/CTestContext.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

TEST(CMicroSequence, AFailureLeavesTheEarlierListAndReportsHowFarItGot) {
  test::CTestContext ctx;
  CKsvTestOptions options;
  CMicroSequence sequence;
  options.SetECGDuration(33);
  auto err = Caught([&] { sequence.Initialize(etcECGTest, epcNC, "", "", options); });
  EXPECT_EQ(err.Number(), errVTI_InvalidMuSeq);
  EXPECT_EQ(err.Source(), "CMicroSequence");
  EXPECT_EQ(err.Description(),
            "The micro sequence stored as 8024 is invalid. The test cannot be run.\\n\\nMicro "
            "sequence: #stop=bpc;ecg;#stop=ecg;CPL30;#wait=%T;quit;exit;#done\\nInvalid/missing "
            "directive: ");
  EXPECT_EQ(sequence.Count(), 0);

  options.SetECGDuration(-32);
  sequence.Initialize(etcECGTest, epcNC, "", "", options);
  ASSERT_EQ(sequence.Count(), 8);
  options.SetDuration(INT32_MAX / 1000 + 1);
  Caught([&] { sequence.Initialize(etcIRMains, epcOff, "", "", options); });
  Caught([&] { sequence.Initialize(8025, epcOff, "", "", options); });
  EXPECT_EQ(sequence.Count(), 8);
  EXPECT_EQ(sequence.Instruction(4), "#wait=-32000");
  for (int32_t i : {-1, 8, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(sequence.Instruction(i), "") << i;
    EXPECT_EQ(sequence.GetResetInstructions(i), "") << i;
  }
  EXPECT_EQ(sequence.GetResetInstructions(0), "");
}

TEST(CMicroSequence, ATestCodeAtTheEdgeOfItsRangeNamesItsTemplate) {
  test::CTestContext ctx;
  CKsvTestOptions options;
  CMicroSequence sequence;
  auto err = Caught([&] { sequence.Initialize(INT32_MAX, epcOff, "", "", options); });
  EXPECT_EQ(err.Number(), errVTI_InvalidMuSeq);
  EXPECT_NE(err.Description().find("stored as 2147491647 is invalid"), std::string::npos);
}

}  // namespace
}  // namespace ksv940
