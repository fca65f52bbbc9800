#pragma once

#include <memory>

namespace ksv940 {

class CClassRegistry;

/// A new class registry holding the host's own classes (the MTI data object), as a host's
/// registry holds them before any component is installed.
std::shared_ptr<CClassRegistry> MakeHostRegistry();

/// Installs our implementations of the host's services as the process's defaults, as a host
/// provides its global objects before it loads a component: the text service (with the catalogue
/// of $KSV940_LANGUAGE), the error service, the port look-up, and a class registry that holds the
/// host's own classes (the MTI data object). Called once at start-up, before any thread asks for
/// them; a scope may still put its own in their place.
void InstallHostDefaults();

}  // namespace ksv940
