#pragma once

#include <cstdint>

namespace ksv940 {

/// The power configuration the instrument's equipment outlet is in, and what moving to another
/// one does to the outlet: switch it on, switch it off, or both (off and on again, as a change of
/// mains polarity requires). Private to the plug-in; one instance lives as long as its plug-in
/// object.
class CPowerConfig {
 public:
  /// The configuration last applied to the outlet (an EKsvPowerConfiguration); epcOffOE at first.
  /// Written by the plug-in when a connection starts or ends and when a test has applied its
  /// configuration; the questions below never change it.
  int32_t Current = 0;

  /// Whether the outlet is powered in Current: normal condition or open earth, either polarity.
  bool PowerOn() const { return IsOnConfig(Current); }

  /// Whether moving from Current to epcNew switches the outlet on.
  bool WillToggleOn(int32_t epcNew) const;
  /// Whether moving from Current to epcNew switches the outlet off.
  bool WillToggleOff(int32_t epcNew) const;

 private:
  // The polarity switching asks whether a test's configuration powers the outlet.
  friend class CPowerSequencer;

  static bool IsOnConfig(int32_t epc);
  /// Counted as an outlet that is off for switching: power off, open neutral (either polarity)
  /// and the three mains-voltage measurements.
  static bool IsOffConfig(int32_t epc);
  static bool IsReversedConfig(int32_t epc);
};

}  // namespace ksv940
