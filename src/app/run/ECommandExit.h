#pragma once

namespace ksv940 {

/// Exit codes of the ksv940 command.
enum ECommandExit : int {
  ecxOk = 0,
  ecxFailure = 1,       ///< the operation failed; the operator's text is on stderr
  ecxUsage = 2,         ///< bad usage: unknown option, a value that is not a number...
  ecxUserAbort = 3,     ///< the operator aborted
  ecxNoInstrument = 4,  ///< the wireless connector found no instrument
  ecxOutOfLimits = 5    ///< every test completed, but a value is outside its limits
};

}  // namespace ksv940
