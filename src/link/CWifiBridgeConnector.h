#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "link/IWifiConnector.h"
#include "platform/core/CMessagePump.h"
#include "platform/net/CTcpSocket.h"

namespace ksv940 {

class CClassRegistry;

/// Our wireless connector: a TCP client of a serial-to-network bridge that serves the analyzer's
/// serial line as raw bytes (as ser2net's raw mode does). The bridge's address comes from
/// $KSV940_WIFI ("host:port") unless one is given. Every wait runs on the thread's message pump.
/// It holds at most a few kilobytes of what the bridge sends: a reply line, or the newest line a
/// flush answers, that does not end within kLongestReply characters fails the call. The same
/// connector on Linux and Windows; the socket is the platform's.
class CWifiBridgeConnector : public IWifiConnector {
 public:
  /// sAddress: "host:port"; empty means $KSV940_WIFI (or no bridge when that is unset).
  /// lReplyFloorMs: the shortest time SendCommand waits for a reply line.
  explicit CWifiBridgeConnector(std::string sAddress = {}, int32_t lReplyFloorMs = kReplyFloorMs);
  ~CWifiBridgeConnector() override;

  std::string ClassName() const override { return "WifiConnector"; }

  /// Installs the connector in the registry under the wireless connector's class id, as its
  /// installer does; the plug-in creates it from there.
  static void RegisterClass(CClassRegistry& registry);
  void SetLogPath(const std::string& sPath) override;
  void SetMonitorData(bool fMonitor) override;
  bool isWireless() override;
  bool ScanUSBPorts(const std::string& sModel) override;
  bool ConnectWireless() override;
  bool ScanPort(const std::string& sQuery, const std::string& sModel, int16_t i1, int16_t i2,
                int16_t i3, int16_t i4, int16_t i5) override;
  std::string SendCommand(const std::string& sCommand,
                          std::optional<int16_t> iWaitMs = std::nullopt) override;
  std::string FlushData(int16_t iWaitMs) override;

  /// The shortest time SendCommand waits for a reply line, whatever wait time it is given: a
  /// network bridge adds latency that the serial wait times do not allow for.
  static constexpr int32_t kReplyFloorMs = 1000;
  /// What SendCommand answers for sLine, a line received with its CR LF: the acknowledgement as
  /// it is, any other line without its CR LF.
  static std::string ReplyOf(const std::string& sLine);
  /// What FlushData answers for sData, everything received: the last complete line without its
  /// CR LF, or sData itself when no line is complete.
  static std::string NewestOutputOf(const std::string& sData);

  /// How long ConnectWireless tries to reach the bridge.
  static constexpr int32_t kConnectTimeoutMs = 3000;

 private:
  void Disconnect();
  void OnReadable();
  [[noreturn]] void Fail(const std::string& sWhat);
  void Log(const char* szDirection, const std::string& sData);

  std::string msAddress;
  int32_t mlReplyFloorMs;
  std::shared_ptr<CMessagePump> mpPump;
  CTcpSocket mSocket;
  bool mfPeerClosed = false;
  std::string msReceived;
  bool mfOverrun = false;  // older characters of msReceived were let go
  std::string msLogPath;
  bool mfMonitor = false;
  std::ofstream mLog;
};

}  // namespace ksv940
