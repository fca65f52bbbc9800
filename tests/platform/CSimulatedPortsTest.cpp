#include "sim/CSimulatedPorts.h"

#include <gtest/gtest.h>

#include <string>

#include "link/ChannelTesting.h"
#include "platform/serial/CLineSettings.h"

namespace ksv940 {
namespace {

TEST(CSimulatedPorts, OpenReadsWhetherThePortIsThereAndFree) {
  struct Row {
    const char* sCase;
    int32_t lPort;
    bool fHeldByAnother;
    const char* sStatus;
  };
  const Row rows[] = {
      {"connected and free", 5, false, "Connected"},
      {"nothing connected", 6, false, "Port not found"},
      {"held by another control", 5, true, "Port unavailable"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sCase);
    test::CLinkFixture link;
    auto pOther = link.pPorts->CreateControl();
    if (row.fHeldByAnother) {
      pOther->SetCommPort(5);
      pOther->SetPortOpen(true);
    }
    auto pControl = link.pPorts->CreateControl();
    pControl->SetCommPort(row.lPort);
    pControl->SetPortOpen(true);
    EXPECT_EQ(pControl->Status(), row.sStatus);
    EXPECT_EQ(pControl->PortOpen(), std::string(row.sStatus) == "Connected");
    pControl.reset();  // destroying a control frees its port
    pOther.reset();
    EXPECT_FALSE(link.pPorts->IsOpen(5));
  }
}

TEST(CSimulatedPorts, ControlReceivesWhatArrivesWhileOpenAndSendsAtLineSpeed) {
  test::CLinkFixture link;
  auto pControl = link.pPorts->CreateControl();
  pControl->SetCommPort(5);
  link.peer.SendAt(0, "lost");  // arrives while the port is closed
  link.ctx.RunFor(1'000);
  pControl->SetPortOpen(true);
  EXPECT_EQ(pControl->InBufferCount(), 0);

  pControl->Output("ab\r\n");
  EXPECT_EQ(pControl->OutBufferCount(), 4);
  link.ctx.RunUntil(link.After(0) + 200);  // two character times later
  EXPECT_EQ(pControl->OutBufferCount(), 2);
  link.ctx.RunFor(1'000);
  EXPECT_EQ(pControl->OutBufferCount(), 0);
  EXPECT_EQ(link.peer.Bytes(), "ab\r\n");

  link.peer.SendAt(link.Now(), "12.5\r\n");
  link.ctx.RunFor(1'000);
  EXPECT_EQ(pControl->InBufferCount(), 6);
  pControl->SetInputLen(1);
  EXPECT_EQ(pControl->Input(), "1");
  pControl->SetInputLen(0);
  EXPECT_EQ(pControl->Input(), "2.5\r\n");
  EXPECT_EQ(pControl->Input(), "");

  link.peer.SendAt(link.Now(), "junk");
  link.ctx.RunFor(1'000);
  pControl->SetInBufferCount(0);
  EXPECT_EQ(pControl->InBufferCount(), 0);

  pControl->SetPortOpen(false);
  EXPECT_FALSE(pControl->PortOpen());
  try {
    pControl->Output("x");
    ADD_FAILURE() << "output on a closed port was accepted";
  } catch (const CAutomationError& err) {
    EXPECT_EQ(err.Number(), 8018);
    EXPECT_EQ(err.Description(), "Operation valid only when the port is open");
  }
}

TEST(CLineSettings, ReadsTheSettingsTextOrRaises) {
  CLineSettings settings = CLineSettings::Parse("9600, e,7,1.5");
  EXPECT_EQ(settings.Baud(), 9600);
  EXPECT_EQ(settings.Parity(), 'E');
  EXPECT_EQ(settings.DataBits(), 7);
  EXPECT_EQ(settings.HalfStopBits(), 3);
  EXPECT_NEAR(CLineSettings::Parse("115200,N,8,1").CharacterTimeUs(), 86.806, 0.001);
  for (const char* sBad : {"115200,N,8", "115200,X,8,1", "115200,N,9,1", "fast,N,8,1", "0,N,8,1",
                           "115200,N,8,3", ""}) {
    SCOPED_TRACE(sBad);
    try {
      CLineSettings::Parse(sBad);
      ADD_FAILURE() << "accepted";
    } catch (const CAutomationError& err) {
      EXPECT_EQ(err.Number(), 380);
    }
  }
}

}  // namespace
}  // namespace ksv940
