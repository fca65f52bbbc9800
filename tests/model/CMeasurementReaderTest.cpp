#include "model/CMeasurementReader.h"

#include <gtest/gtest.h>

#include <optional>

#include "link/CInstrumentLink.h"
#include "link/ChannelTesting.h"
#include "model/CAbortFlags.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "model/GDeclares.h"
#include "platform/forms/EOperatorAnswer.h"
#include "testing/CSimWifiConnector.h"

namespace ksv940 {
namespace {

// A reader on port 5 of the link fixture, whose scripted instrument answers each line in turn.
class CReaderFixture : public test::CLinkFixture {
 public:
  explicit CReaderFixture(bool fWireless = false)
      : pWifi(std::make_shared<test::CSimWifiConnector>(*pLine)),
        link(pWifi),
        reader(link, options, flags, [this] {
          ++nAborts;
          flags.OperatorStop();
          link.Channel().Abort();
        }) {
    if (fWireless) {
      link.SetWireless(true);
    } else {
      link.Channel().OpenPort(kPort);
    }
    options.SetMeasType(emt_AC);
  }

  // One reading round: the command's reply at lStartMs, then the stream's lines every 200 ms
  // for two seconds, then the acknowledgement of the escape that stops the stream.
  void Round(int64_t lStartMs, const std::string& sFirst, const std::string& sStreamed,
             bool fEscaped = true) {
    peer.Queue(sFirst + "\r\n");
    std::vector<std::string> vLines(10, sStreamed + "\r\n");
    peer.Stream(lStartMs * 1000, 200, vLines);
    if (fEscaped) {
      peer.Queue(std::string("*\r\n"));
    }
  }

  std::string Sent() const {
    std::string s;
    for (char c : peer.Bytes()) {
      s += c == '\x1b' ? std::string("\\e") : std::string(1, c);
    }
    return s;
  }

  std::shared_ptr<test::CSimWifiConnector> pWifi;
  CInstrumentLink link;
  CKsvTestOptions options;
  CAbortFlags flags;
  CKsvTestResult result;
  int nAborts = 0;
  CMeasurementReader reader;
};

TEST(CMeasurementReader, ReadingsAndStreamsOnTheSerialLink) {
  struct SRow {
    const char* szWhat;
    const char* szCommand;
    std::function<void(CReaderFixture&)> fnScript;
    std::vector<std::pair<EOperatorAnswer, int64_t>> vOperator;
    float fValue;
    const char* szUnknown;
    EKsvTestState etsState;
    std::string sSent;
    size_t nDialogs;
  };
  const std::vector<SRow> rows = {
      {"one reading",
       "read",
       [](CReaderFixture& f) { f.peer.Queue(std::string("12.5\r\n")); },
       {},
       12.5F,
       "",
       etsCompleted,
       "read\r\n",
       0},
      {"the stream's newest reading",
       "mread",
       [](CReaderFixture& f) { f.Round(0, "1uA", "0.25mA"); },
       {},
       250.0F,
       "",
       etsCompleted,
       "mread\r\n\\e\r\n",
       0},
      {"no resistance, operator skips",
       "mread",
       [](CReaderFixture& f) { f.Round(0, "1uA", "!32"); },
       {{eoaSkip, 500}},
       0.0F,
       "OL",
       etsOverflow,
       "mread\r\n\\e\r\n",
       1},
      {"no resistance, operator measures again",
       "mread",
       [](CReaderFixture& f) {
         f.Round(0, "1uA", "!32");
         f.Round(3000, "7uA", "8uA");
       },
       {{eoaContinue, 1000}},
       8.0F,
       "",
       etsCompleted,
       "mread\r\n\\e\r\nmread\r\n\\e\r\n",
       1},
      {"over range three times",
       "mread",
       [](CReaderFixture& f) {
         f.Round(0, "1uA", "!21");
         f.Round(2500, "1uA", "!21");
         f.Round(5000, "1uA", "!21");
       },
       {},
       0.0F,
       "",
       etsOverflow,
       "mread\r\n\\e\r\nmread\r\n\\e\r\nmread\r\n\\e\r\n",
       0},
      {"zeroing refused",
       "zero",
       [](CReaderFixture& f) {
         for (int i = 0; i < 3; ++i) {
           f.peer.Queue(std::string("!32\r\n"));
         }
       },
       {},
       0.0F,
       "",
       etsNotPerformed,
       "zero\r\nzero\r\nzero\r\n",
       0},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CReaderFixture f;
    row.fnScript(f);
    for (auto [eoa, lMs] : row.vOperator) {
      f.ctx.Operator().Then(eoa, lMs);
    }
    f.reader.ReadValue(row.szCommand, nullptr, f.result);
    EXPECT_FLOAT_EQ(f.result.Value(), row.fValue);
    EXPECT_EQ(f.result.ValueUnknown(), row.szUnknown);
    EXPECT_EQ(f.result.State(), row.etsState);
    EXPECT_EQ(f.Sent(), row.sSent);
    ASSERT_EQ(f.ctx.Operator().Forms().size(), row.nDialogs);
    if (row.nDialogs > 0) {
      EXPECT_EQ(f.ctx.Operator().Forms()[0].Text("lblTitle"),
                "The KSV940 was unable to make a resistance measurement");
      EXPECT_TRUE(f.ctx.Operator().Forms()[0].Shows("cmdSkip"));
    }
  }
}

TEST(CMeasurementReader, OperatorStopAbortsAndLeavesTheResultAlone) {
  CReaderFixture f;
  f.Round(0, "1uA", "!32");
  f.ctx.Operator().Then(eoaStop, 100);
  f.reader.ReadValue("mread", nullptr, f.result);
  EXPECT_EQ(f.nAborts, 1);
  EXPECT_TRUE(f.flags.mfAbort);
  EXPECT_EQ(f.result.State(), etsNotPerformed);
  EXPECT_EQ(f.Sent(), "mread\r\n\\e\r\n");
}

TEST(CMeasurementReader, ThreeBadRepliesInTheStreamAreACommunicationError) {
  CReaderFixture f;
  // A bad reply does not stop the stream: the reading is asked for again after a second.
  f.Round(0, "1uA", "!37", false);
  f.Round(3100, "1uA", "!37", false);
  f.Round(6200, "1uA", "!37", false);
  auto err = test::Raised([&] { f.reader.ReadValue("mread", nullptr, f.result); });
  EXPECT_EQ(err.lNumber, errVTI_InvalidReply);
  EXPECT_EQ(f.result.State(), etsNotPerformed);
}

TEST(CMeasurementReader, WirelessRetriesNotReadyAndFlushesZeroing) {
  {
    CReaderFixture f(true);
    for (int i = 0; i < 3; ++i) {
      f.peer.Queue(std::string("!22\r\n"));
    }
    f.reader.ReadValue("read", nullptr, f.result);
    // Three "not ready" replies end the tries; the last reply is the reading.
    EXPECT_EQ(f.result.State(), etsCompleted);
    EXPECT_FLOAT_EQ(f.result.Value(), 0.0F);
    EXPECT_EQ(f.pWifi->vCalls,
              (std::vector<std::string>{"SendCommand(read,100)", "SendCommand(read,100)",
                                        "SendCommand(read,100)"}));
  }
  {
    // A connector that waits long enough hands the zeroing over itself; it is kept.
    CReaderFixture f(true);
    f.peer.Queue(std::string("0.011\r\n"), 50);
    f.reader.ReadValue("zero", nullptr, f.result);
    EXPECT_FLOAT_EQ(f.result.Value(), 0.011F);
    EXPECT_EQ(f.result.State(), etsCompleted);
  }
  {
    CReaderFixture f(true);
    f.peer.Queue(std::string("0.012\r\n"), 150);
    f.reader.ReadValue("zero", nullptr, f.result);
    EXPECT_FLOAT_EQ(f.result.Value(), 0.012F);
    EXPECT_EQ(f.pWifi->vCalls,
              (std::vector<std::string>{"SendCommand(zero,100)", "FlushData(200)"}));
  }
}

TEST(CMeasurementReader, IdentityRepliesThatAreNotAKsv940AreRefused) {
  struct SRow {
    const char* szIdent;
    int32_t lError;
  };
  const SRow rows[] = {{"KSV 9401.20", 9},
                       {"KSV 941,1.20", errVTI_InvalidReply},
                       {"ksv 940,1.20", errVTI_InvalidReply}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szIdent);
    CReaderFixture f;
    f.peer.Queue(std::string(row.szIdent) + "\r\n");
    f.peer.Queue(std::string("K1\r\n"));
    auto err = test::Raised([&] { f.reader.ReadIdentity(); });
    EXPECT_EQ(err.lNumber, row.lError);
  }
}

}  // namespace
}  // namespace ksv940
