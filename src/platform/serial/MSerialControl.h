#pragma once

namespace ksv940 {

/// Raises the serial control's own failure for a member that needs an open port: number 8018,
/// "Operation valid only when the port is open", with the component as source.
[[noreturn]] void RaisePortNotOpen();

}  // namespace ksv940
