#pragma once

#include <optional>
#include <string>

#include "model/GDeclares.h"
#include "platform/automation/CServerLock.h"
#include "platform/automation/IAutomationObject.h"

namespace ksv940 {

/// What the host reads after a test: the value in the test's unit, a text for a value that is not
/// a number ("OL"), the state, and the translated AC/DC marker. A new result holds 0, empty,
/// etsNotPerformed, empty. The plug-in makes a new one for every test, so a result the host keeps
/// is never changed afterwards.
class CKsvTestResult : public IAutomationObject {
 public:
  std::string ClassName() const override { return "CKsvTestResult"; }

  float Value() const { return mfValue; }
  const std::string& ValueUnknown() const { return msValueUnknown; }
  EKsvTestState State() const { return meState; }
  const std::string& UnitSuffix() const { return msUnitSuffix; }

  /// Takes the instrument's reply sReply to sCommand: "!21" is an overflow; "!32" a value that
  /// cannot be measured ("OL"), an overflow when the command was "mread" or "zero"; otherwise the
  /// number at the start of the reply, in microamperes when the reply is in milliamperes ("mA",
  /// any case). The suffix follows emt: AC, DC, or AC+DC unless the reply is a voltage ("V", any
  /// case). An empty reply leaves the result not performed. Never raises: a failure (a value
  /// beyond the float's range, a failing text service) leaves etsNotPerformed and what was set
  /// before it.
  void SetReading(const std::string& sReply, int32_t emt, const std::string& sCommand);
  /// The reply text SetReading was given; none before it is called. Not a member of the
  /// automation interface: a host that keeps records reads it beside the value.
  const std::optional<std::string>& Reading() const { return msReading; }

  /// Sets State only (etsCompleted for a sequence that ends without a reading, etsAborted).
  void SetState(EKsvTestState ets) { meState = ets; }

 private:
  float mfValue = 0.0F;
  std::string msValueUnknown;
  std::optional<std::string> msReading;
  EKsvTestState meState = etsNotPerformed;
  std::string msUnitSuffix;
  CServerLock mServerLock;
};

}  // namespace ksv940
