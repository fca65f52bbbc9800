#pragma once

namespace ksv940 {

/// Installs, once per thread, the classes the plug-in creates in the thread's class registry: the
/// component's own, and the host's MTI data class and the wireless connector. Where the machine
/// has a class registered under the host's MTI data class id or the wireless connector's class
/// id, that class is created and called by member name; where it has none, the built-in
/// implementations are used (the same as the command line's), so that any automation client can
/// drive the plug-in.
void InstallHostClasses();

}  // namespace ksv940
