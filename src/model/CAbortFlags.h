#pragma once

namespace ksv940 {

/// The plug-in object's two stop flags, shared by its operations. mfAbort: an abort is requested;
/// the running sequence stops at its next step. mfStopFlag: the operator stopped; while it is set
/// the runner executes no instruction.
class CAbortFlags {
 public:
  bool mfAbort = false;
  bool mfStopFlag = false;

  /// The operator chose Stop Test in a dialog: both flags are set.
  void OperatorStop() {
    mfAbort = true;
    mfStopFlag = true;
  }
};

}  // namespace ksv940
