#include <gtest/gtest.h>

#include "declares/GDeclares.h"
#include "hostapi/IOrvexMtiData.h"
#include "model/CKsvTestOptions.h"
#include "testing/CRig.h"
#include "testing/MCaught.h"
#include "testing/MGolden.h"

namespace ksv940 {
namespace {

using test::Caught;
using test::CRig;

const std::string kHandshake = test::Handshake();
const std::string kWireless = "ident\r\nstat\r\nremote\r\nrptime=2\r\nident\r\nsn\r\n";
// The failure path sends "local" without waiting for a terminator, so all three attempts go out;
// after a failed exchange the channel's latch sends nothing.
const std::string kLocal = "local\r\nlocal\r\nlocal\r\n";

TEST(Connection, SerialHandshakePutsTheAnalyzerIntoRemoteOperationAndReadsItsIdentity) {
  CRig rig;
  rig.pVti->InitRemote(CRig::kPort);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
  EXPECT_EQ(rig.TakeSent(), kHandshake);
  ASSERT_TRUE(rig.pVti->MtiData());
  EXPECT_EQ(rig.pVti->MtiData()->InstrumentType(), "KSV940");
  EXPECT_EQ(rig.pVti->MtiData()->Model(), "KSV 940");
  EXPECT_EQ(rig.pVti->MtiData()->FirmwareVersion(), "1.20");
  EXPECT_EQ(rig.pVti->MtiData()->SerialNumber(), "K9400123");
  EXPECT_TRUE(rig.ctx.MessageBoxes().empty());
  EXPECT_EQ(rig.pWifi->vCalls,
            (std::vector<std::string>{"SetLogPath(KSV940Log_WIFI_Connector.txt)",
                                      "MonitorData(true)", "isWireless()", "ScanUSBPorts(940)"}));
}

TEST(Connection, RemoteIsSentOnlyWhenTheStatusWordSaysLocalAndThePcaTypeDecidesTheBoard) {
  struct SRow {
    const char* szScenario;
    std::string sSent;
    const char* szApSent;  // what the applied-part instruction "ap=1//gnd" becomes
  };
  const SRow rows[] = {
      {"remote on", "\\e\r\nstat\r\nPCA_TYPE?\r\nrptime=7\r\nident\r\nsn\r\n", "ap=1//GND"},
      {"pca-type 2", "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=7\r\nident\r\nsn\r\n",
       "ap2=1//ALL"},
      {"pca-type 1/0/02", "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=7\r\nident\r\nsn\r\n",
       "ap=1//GND"},
      {"pca-type 1/2", "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nrptime=7\r\nident\r\nsn\r\n",
       "ap=1//GND"},
      // An error reply to the PCA type means the first board, not a failed connection.
      {"on PCA_TYPE? every error 30",
       "\\e\r\nstat\r\nremote\r\nPCA_TYPE?\r\nPCA_TYPE?\r\nPCA_TYPE?\r\nrptime="
       "7\r\nident\r\nsn\r\n",
       "ap=1//GND"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szScenario);
    CRig rig(CSimScenario::Parse(row.szScenario));
    rig.pVti->testOptions()->SetPolaritySwitchingDelay(7);
    rig.pVti->InitRemote(CRig::kPort);
    EXPECT_EQ(rig.pVti->State(), evsIdle);
    EXPECT_TRUE(rig.ctx.MessageBoxes().empty());
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    rig.ctx.Operator().ThenLetItRun();
    rig.Run(etcEarthLeak, epcNC, "1//gnd");
    EXPECT_NE(rig.TakeSent().find(std::string("\r\n") + row.szApSent + "\r\n"), std::string::npos);
  }
}

TEST(Connection, FirmwareOlderThan117IsRefused) {
  struct SRow {
    const char* szFirmware;
    bool fAccepted;
  };
  const SRow rows[] = {{"1.17", true}, {"1.16", false}, {"V1.20", true}, {"01.17", true},
                       {"", false},    {"0.99", true},  {"1.10", false}, {"1.17.3", true},
                       {"1.9", true},  {"2", true},     {"v0.5", true}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szFirmware);
    CSimScenario scenario;
    scenario.sFirmware = row.szFirmware;
    CRig rig(scenario);
    if (row.fAccepted) {
      rig.pVti->InitRemote(CRig::kPort);
      EXPECT_EQ(rig.pVti->State(), evsIdle);
      continue;
    }
    EXPECT_EQ(Caught([&] { rig.pVti->InitRemote(CRig::kPort); }).Number(), errVTI_Error);
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText,
              " This version of the Plug-In requires KSV940 FW v1.17 or newer. Please contact "
              "Marlo Raderurezi for the latest version.");
    EXPECT_EQ(rig.TakeSent(), kHandshake + kLocal);
    EXPECT_EQ(rig.pVti->State(), evsClosed);
    EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
    // The description of the refused instrument stays for the host.
    ASSERT_TRUE(rig.pVti->MtiData());
    EXPECT_EQ(rig.pVti->MtiData()->FirmwareVersion(), row.szFirmware);
  }
}

TEST(Connection, EveryFailureShowsItsCauseAndClosesThePort) {
  struct SRow {
    const char* szWhat;
    int16_t iPort;
    const char* szScenario;
    const char* szShown;
    std::string sSent;
  };
  const std::vector<SRow> rows = {
      {"no such port", 9, "", "Can not open port 9", ""},
      {"silent analyzer", CRig::kPort, "on esc every silent",
       "Instrument is not responding, Please restart the instrument.", "\\e\r\n\\e\r\n\\e\r\n"},
      {"remote refused", CRig::kPort, "on remote every error 31",
       "The test could not be completed due to a communication error",
       "\\e\r\nstat\r\nremote\r\nremote\r\nremote\r\n"},
      {"garbled identity", CRig::kPort, "on ident every garbled",
       "The test could not be completed due to a communication error",
       kHandshake.substr(0, kHandshake.size() - 4) + kLocal},
      {"instrument error", CRig::kPort, "on esc 1 error 33",
       "The KSV940 reported an error: Cannot null.", "\\e\r\n"}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig(CSimScenario::Parse(row.szScenario));
    auto err = Caught([&] { rig.pVti->InitRemote(row.iPort); });
    EXPECT_EQ(err.Number(), errVTI_Error);
    EXPECT_EQ(err.Source(), "CKsvVti");
    ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, row.szShown);
    EXPECT_EQ(rig.ctx.MessageBoxes()[0].sTitle, "Orvex KSV940 Plug-In Response");
    EXPECT_TRUE(rig.ctx.MessageBoxes()[0].fExclamation);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    EXPECT_EQ(rig.pVti->State(), evsClosed);
    EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
  }
}

TEST(Connection, ASecondInitRemoteEndsTheOpenConnection) {
  CRig rig;
  rig.Connect();
  rig.pVti->Abort();  // an abort the host asked for earlier is no part of this failure
  EXPECT_EQ(Caught([&] { rig.pVti->InitRemote(CRig::kPort); }).Number(), errVTI_Error);
  ASSERT_EQ(rig.ctx.MessageBoxes().size(), 1u);
  EXPECT_EQ(rig.ctx.MessageBoxes()[0].sText, "The channel is already open on port 5.");
  EXPECT_EQ(rig.TakeSent(), kLocal);
  EXPECT_EQ(rig.pVti->State(), evsClosed);
  EXPECT_FALSE(rig.pPorts->IsOpen(CRig::kPort));
}

TEST(Connection, ThePortIsChosenByNumberByTheHostOrByTheWirelessConnector) {
  struct SRow {
    const char* szWhat;
    int16_t iPort;
    bool fIsWireless;
    bool fUsbPresent;
    int32_t lFoundPort;
    std::vector<std::string> vCalls;
    std::vector<std::string> vAsked;
    bool fSerial;
  };
  const std::vector<SRow> rows = {
      {"port 5, wireless machine", 5, true, false, 0, {"isWireless()"}, {}, true},
      {"port 5, USB scan answer unused",
       5,
       false,
       false,
       0,
       {"isWireless()", "ScanUSBPorts(940)"},
       {},
       true},
      {"port 0, host finds 5",
       0,
       false,
       true,
       5,
       {"isWireless()", "ScanUSBPorts(940)"},
       {"KSV940|"},
       true},
      {"port 0, no USB: wireless, which finds nothing",
       0,
       false,
       false,
       5,
       {"isWireless()", "ScanUSBPorts(940)", "MonitorData(true)", "ConnectWireless()"},
       {"KSV940|"},
       false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szWhat);
    CRig rig;
    rig.pWifi->fIsWireless = row.fIsWireless;
    rig.pWifi->fUsbPresent = row.fUsbPresent;
    rig.pLookup->lPort = row.lFoundPort;
    rig.pWifi->vCalls.clear();
    rig.pVti->InitRemote(row.iPort);
    EXPECT_EQ(rig.pWifi->vCalls, row.vCalls);
    EXPECT_EQ(rig.pLookup->vAsked, row.vAsked);
    EXPECT_EQ(rig.pVti->State(), row.fSerial ? evsIdle : evsClosed);
    EXPECT_EQ(rig.TakeSent(), row.fSerial ? kHandshake : std::string());
    EXPECT_TRUE(rig.ctx.MessageBoxes().empty());
    EXPECT_EQ(rig.pVti->MtiData() != nullptr, row.fSerial);
  }
}

TEST(Connection, WirelessHandshakeGoesThroughTheConnector) {
  CRig rig(CSimScenario(), test::erlWireless);
  rig.pWifi->vCalls.clear();
  rig.pVti->InitRemote(-1);
  EXPECT_EQ(rig.pVti->State(), evsIdle);
  EXPECT_EQ(rig.pWifi->vCalls,
            (std::vector<std::string>{
                "isWireless()", "ScanUSBPorts(940)", "MonitorData(true)", "ConnectWireless()",
                "ScanPort(IDENT,KSV 940,108,56,78,78,49)", "FlushData(300)", "SendCommand(stat,50)",
                "SendCommand(remote,30)", "SendCommand(rptime=2,30)", "SendCommand(ident,30)",
                "SendCommand(sn,30)"}));
  EXPECT_EQ(rig.TakeSent(), kWireless);
  EXPECT_EQ(rig.pVti->MtiData()->SerialNumber(), "K9400123");
  EXPECT_TRUE(rig.pLookup->vAsked.empty());
}

TEST(Connection, EndRemoteDuringTheAttemptGivesItUpAndAnAbortOnlyEndsTheWaitItInterrupts) {
  struct SRow {
    const char* szWhat;
    test::ERigLink erl;
    bool fEndRemote;  // else the host's Abort
    std::string sSent;
  };
  const SRow rows[] = {
      // While the status request waits for its late reply.
      {"EndRemote", test::erlSerial, true, "\\e\r\nstat\r\nstat\r\n" + kLocal},
      {"Abort", test::erlSerial, false, "\\e\r\nstat\r\n" + kHandshake.substr(4)},
      // While the connector flushes after finding the analyzer: nothing more is sent.
      {"EndRemote", test::erlWireless, true, "ident\r\n"},
      {"Abort", test::erlWireless, false, kWireless}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(std::string(row.szWhat) + (row.erl == test::erlWireless ? " (wireless)" : ""));
    CRig rig(CSimScenario::Parse("on stat 1 late 600"), row.erl);
    rig.At(row.erl == test::erlWireless ? 20'000 : 500'000,
           [&] { row.fEndRemote ? rig.pVti->EndRemote(&rig.guide) : rig.pVti->Abort(); });
    auto err = Caught([&] { rig.pVti->InitRemote(row.erl == test::erlWireless ? -1 : 5); },
                      !row.fEndRemote);
    EXPECT_EQ(err.Number(), row.fEndRemote ? errVTI_UserAbort : 0);
    EXPECT_TRUE(rig.ctx.MessageBoxes().empty());
    EXPECT_EQ(rig.pVti->State(), row.fEndRemote ? evsClosed : evsIdle);
    EXPECT_EQ(rig.pPorts->IsOpen(CRig::kPort), !row.fEndRemote && row.erl == test::erlSerial);
    EXPECT_EQ(rig.TakeSent(), row.sSent);
    EXPECT_EQ(rig.pVti->FlagAbort(), !row.fEndRemote);  // the host's abort is kept for it
  }
}

}  // namespace
}  // namespace ksv940
