#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ksv940 {

/// The serial communications control as the instrument link drives it: exactly the members the
/// channel and the discovery query use. Counts are signed 32-bit.
///
/// When the device goes away while the port is open (a USB adapter pulled out, a line or
/// pseudo-terminal whose far side hung up), what was received before can still be read; after
/// that, InBufferCount and Input with nothing left to read, SetInBufferCount and Output each raise
/// the device-gone failure (8020, RaiseDeviceGone) at once, every time, until the port is closed,
/// so that a waiting exchange ends instead of running into its time-outs. Closing always works,
/// and the port opens again once the device is back. Each platform's control says which of the
/// system's failures it takes for a device that is gone.
class ISerialControl {
 public:
  virtual ~ISerialControl() = default;

  /// Line settings, written before every open: "115200,N,8,1".
  virtual void SetSettings(const std::string& sSettings) = 0;
  /// The number of the port that the next open opens (1 is the first port).
  virtual void SetCommPort(int32_t lPort) = 0;
  virtual int32_t CommPort() const = 0;
  /// Whether the port is open; SetPortOpen(true) opens it with the current number and settings,
  /// SetPortOpen(false) closes it. An open that fails leaves it closed and says why in Status.
  virtual bool PortOpen() const = 0;
  virtual void SetPortOpen(bool fOpen) = 0;
  /// Read right after opening: "Connected", "Port unavailable" (in use), "Port not found" (no such
  /// port), or another text for any other failure.
  virtual std::string Status() const = 0;
  /// Characters received and waiting to be read.
  virtual int32_t InBufferCount() = 0;
  /// Writing 0 discards what is waiting.
  virtual void SetInBufferCount(int32_t lCount) = 0;
  /// How many waiting characters one Input takes: 0 all, 1 one.
  virtual void SetInputLen(int32_t lLength) = 0;
  /// Takes the next waiting characters (as many as the read length allows, possibly none).
  virtual std::string Input() = 0;
  /// Queues the text for sending, character for character, with nothing added.
  virtual void Output(const std::string& sData) = 0;
  /// Characters queued and not yet sent.
  virtual int32_t OutBufferCount() = 0;
};

/// Makes the serial control of each port form. The thread's default makes controls on the
/// operating system's serial ports.
class ISerialControlFactory {
 public:
  virtual ~ISerialControlFactory() = default;
  virtual std::unique_ptr<ISerialControl> CreateControl() = 0;

  static std::shared_ptr<ISerialControlFactory> CreateDefault();
};

}  // namespace ksv940
