#pragma once

namespace ksv940 {

class CForm;

/// The outlet state that the last before- or after-change stop dialog announced (true = on).
/// Shared by every stop dialog of the thread, false until one sets it, and kept for the life of
/// the thread.
extern thread_local bool gfOutletOn;

/// Where the host keeps the setting that asks for topmost dialogs.
inline constexpr const char* kTestGuideSettingsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Marlo\\orvex\\Executive\\System";
inline constexpr const char* kTestGuideSettingsValue = "Test guide settings";

/// Whether the host asks for dialogs kept on top of its test-guide window: its setting is a
/// 32-bit number equal to 4 or above 8. Read anew at every call; an absent setting, one of
/// another type, or a store that fails answers false.
bool DialogsOnTop();

/// Puts frm into the topmost band of windows without activating it. Never fails.
void SetTopmost(CForm& frm);

}  // namespace ksv940
