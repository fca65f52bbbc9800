#include <gtest/gtest.h>

#include "declares/GDeclares.h"
#include "model/CKsvTestResult.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::CRig;

// What the host reads of a result: "value unknown-text state".
std::string Result(const CKsvTestResult& result) {
  const char* kStates[] = {"not performed", "completed", "aborted", "overflow"};
  std::ostringstream text;
  text << result.Value() << " " << result.ValueUnknown() << " " << kStates[result.State()];
  return text.str();
}

// Readings of a mains-voltage test (or the zeroing of Calibrate, "zero" in szRun), their retries
// and the operator's question when the analyzer finds no resistance.
TEST(Reading, TheReadingRetriesOrAsksTheOperatorAndLeavesWhatTheHostReads) {
  struct SRow {
    const char* szWhat;
    std::string sScenario;  // "!32" is no resistance, "!21" over range, "!37" a bad reading
    const char* szRun;      // "mains", or "zero"; the operator's answer to each question
    const char* szTranscript;
    const char* szResult;
    int32_t lError = 0;
    test::ERigLink erl = test::erlSerial;
    std::vector<std::string> vCalls = {};  // of the wireless connector, from the reading on
  };
  // The readings of each measurement come in turn, the second 3 s after the first.
  const std::string kSlow = "stream 3000\nreading mains ";
  const std::vector<SRow> rows = {
      {"the stream's newest", "reading mains 1V 230.1V", "mains", "mread \\e", "230.1  completed"},
      {"no resistance, skipped", kSlow + "1V !32", "mains skip", "mread \\e [no resistance]",
       "0 OL overflow"},
      {"no resistance, measured again", kSlow + "1V !32 7V 8V", "mains continue",
       "mread \\e [no resistance] mread \\e", "8  completed"},
      {"no resistance, stopped", kSlow + "1V !32", "mains stop", "mread \\e [no resistance]",
       "0  not performed"},
      {"over range three times", kSlow + "1V !21 1V !21 1V !21", "mains",
       "mread \\e mread \\e mread \\e", "0  overflow"},
      {"three bad readings", kSlow + "1V !37 1V !37 1V !37", "mains", "mread mread mread",
       "0  not performed", errVTI_Error},
      {"zeroing refused", "on zero every error 32", "zero", "zero zero zero", "0  not performed"},
      // The stream on the wireless link: what arrived within 300 ms, else "mread" once more and
      // what arrives within a second; over range ends it, bad readings count without a pause.
      {"the stream's newest",
       "reading mains 1V 2V 3V\nstream 100",
       "mains",
       "mread",
       "3  completed",
       0,
       test::erlWireless,
       {"SendCommand(mread,100)", "FlushData(300)", "FlushData(100)"}},
      {"nothing streamed yet",
       "reading mains 1V 2V\nstream 800",
       "mains",
       "mread mread",
       "2  completed",
       0,
       test::erlWireless,
       {"SendCommand(mread,100)", "FlushData(300)", "SendCommand(mread,100)", "FlushData(1000)",
        "FlushData(100)"}},
      {"over range",
       "stream 100\nreading mains 1V !21",
       "mains",
       "mread",
       "0  overflow",
       0,
       test::erlWireless,
       {"SendCommand(mread,100)", "FlushData(300)", "FlushData(200)"}},
      {"three bad readings", "stream 100\nreading mains 1V !37", "mains", "mread mread mread",
       "0  not performed", errVTI_Error, test::erlWireless},
      {"not ready three times",
       "on mread every error 22",
       "mains",
       "mread mread mread",
       "0  completed",
       0,
       test::erlWireless,
       {"SendCommand(mread,100)", "SendCommand(mread,100)", "SendCommand(mread,100)"}},
      {"zeroing handed over at once",
       "",
       "zero",
       "zero",
       "0  completed",
       0,
       test::erlWireless,
       {"SendCommand(zero,100)", "FlushData(200)"}},
      {"zeroing flushed",
       "on zero 1 late 150",
       "zero",
       "zero",
       "0  completed",
       0,
       test::erlWireless,
       {"SendCommand(zero,100)", "FlushData(200)"}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario::Parse("remote on\n" + row.sScenario), row.erl);
    rig.Connect();
    std::string sRun = row.szRun;
    for (auto [szAnswer, eoa] :
         {std::pair{" skip", eoaSkip}, {" continue", eoaContinue}, {" stop", eoaStop}}) {
      if (sRun.ends_with(szAnswer)) {
        rig.ctx.Operator().Then(eoa, 1000);
      }
    }
    int32_t lError =
        test::Caught(
            [&] { sRun == "zero" ? (void)rig.pVti->Calibrate() : rig.Run(etcMains, epcMainsL1L2); },
            true)
            .Number();
    EXPECT_EQ(lError, row.lError);
    std::string sTranscript = rig.TakeTranscript();
    EXPECT_EQ(sTranscript.substr(sTranscript.find(sRun == "zero" ? "zero" : "mread")),
              row.szTranscript);
    EXPECT_EQ(Result(*rig.pVti->TestResult()), row.szResult);
    if (row.erl == test::erlWireless) {
      std::vector<std::string> vCalls = rig.pWifi->vCalls;
      vCalls.erase(vCalls.begin(), vCalls.end() - static_cast<ptrdiff_t>(row.vCalls.size()));
      EXPECT_EQ(vCalls, row.vCalls);
    }
    for (const SRecordedForm& form : rig.ctx.Operator().Forms()) {
      EXPECT_TRUE(form.Shows("cmdSkip")) << "the operator may skip the measurement";
    }
  }
}

}  // namespace
}  // namespace ksv940
