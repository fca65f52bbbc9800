#pragma once

namespace ksv940 {

/// Raises the serial control's own failure for a member that needs an open port: number 8018,
/// "Operation valid only when the port is open", with the component as source.
[[noreturn]] void RaisePortNotOpen();

/// Raises the serial control's failure for a port whose device has gone while it was open (a
/// USB adapter pulled out, a pseudo-terminal whose far side closed): number 8020, with the
/// component as source. The port stays open until it is closed, and then opens again once the
/// device is back.
[[noreturn]] void RaiseDeviceGone();

}  // namespace ksv940
