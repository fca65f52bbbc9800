#pragma once

#include <array>
#include <cstdint>

// What the KSV940 analyzer's protocol tells the plug-in, named once for every procedure that talks
// to it: the bits of its status words, its error replies and the texts tied to them, and how it
// names itself. Each procedure still reads a reply its own way (a status word as a hexadecimal
// number, the discovery query the first characters of "stat"); only the facts are shared.
//
// The simulator knows the analyzer on its own and does not use these: a wrong fact here is then
// caught by a test against the simulator instead of being copied into it.

namespace ksv940 {

// ---- Status words: "stat", "stat1", "stat2" and "stat3" answer hexadecimal words, tested bit by
// bit.

/// "stat", bit 2: the analyzer is in remote operation.
inline constexpr int32_t kStatRemote = 0x0004;
/// "stat1", bit 0: the analyzer shows its main menu (else a measurement screen that "exit" leaves).
inline constexpr int32_t kStat1MainMenu = 0x0001;
/// "stat2", bit 3: the equipment outlet is powered.
inline constexpr int32_t kStat2OutletOn = 0x0008;
/// "stat2", bit 9: the outlet's mains polarity is reversed.
inline constexpr int32_t kStat2Reversed = 0x0200;
/// "stat2", bits 6, 12 and 13: high voltage is active.
inline constexpr int32_t kStat2HighVoltage = 0x3040;
/// "stat3", bit 14: the ground fault interrupter has tripped ("gfir" resets it).
inline constexpr int32_t kStat3GroundFault = 0x4000;

// ---- Error replies: "!" and a decimal code, as the analyzer answers a command it refuses.

/// The first character of every error reply.
inline constexpr char kErrorMark = '!';

/// Replies the procedures read themselves, as whole lines.
/// The value is over the range: the result is an overflow.
inline constexpr const char* kReplyOverRange = "!21";
/// Not ready yet: the reading is tried again.
inline constexpr const char* kReplyNotReady = "!22";
/// No resistance could be measured: the operator is asked.
inline constexpr const char* kReplyNoResistance = "!32";
/// A bad reading in a stream of readings.
inline constexpr const char* kReplyBadReading = "!37";
/// The analyzer needs a pause before the next 25 A test.
inline constexpr const char* kReplyWait25A = "!57";
/// The ground fault interrupter tripped ("gfir" resets it), and over voltage ("ovr" resets it).
inline constexpr const char* kReplyGroundFault = "!50";
inline constexpr const char* kReplyOverVoltage = "!51";

/// What the operator reads for the ground fault interrupter and for over voltage.
inline constexpr const char* kTextGroundFault = "21914::Ground Fault Interrupt tripped";
inline constexpr const char* kTextOverVoltage = "21915::Over voltage detected";

/// An error code that is a fault of the analyzer, with the message the operator reads.
struct SAnalyzerError {
  int16_t iCode;
  const char* sMessage;
};

/// The error codes that fail an exchange as the analyzer's own error (every other code fails it as
/// an invalid reply).
inline constexpr std::array<SAnalyzerError, 8> kAnalyzerErrors = {{
    {33, "21911::Cannot null"},
    {34, "21912::Reading out of calibration"},
    {40, "21913::Over temperature"},
    {50, kTextGroundFault},
    {51, kTextOverVoltage},
    {52, "21916::Unit out of calibration"},
    {54, "21917::Open ground"},
    {57, "21918::The instrument needs to wait before performing additional 25A tests."},
}};

// ---- Identity.

/// How the host knows the analyzer: its instrument type and the name its port look-up finds.
inline constexpr const char* kInstrumentType = "KSV940";
/// The command that asks the analyzer's identity, as the wireless connector's port scan sends it.
inline constexpr const char* kScanQuery = "IDENT";
/// The first characters of the analyzer's identity reply ("KSV 940,<firmware>,...").
inline constexpr const char* kIdentityModel = "KSV 940";
/// The five numbers the wireless connector's port scan is handed after the query and the model.
inline constexpr std::array<int16_t, 5> kScanNumbers = {108, 56, 78, 78, 49};

}  // namespace ksv940
