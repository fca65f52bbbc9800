#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms/CPicture.h"
#include "platform/forms/EOperatorAnswer.h"
#include "platform/forms/IControl.h"

namespace ksv940 {

class CForm;
class CPumpTimer;

/// The kinds of control a form holds.
enum EControlKind : int { eckLabel = 0, eckPicture = 1, eckButton = 2, eckPanel = 3, eckTimer = 4 };

/// A font as a form's design gives it.
struct SFont {
  const char* sName = "";
  double dPoints = 0;
  bool fBold = false;
};

/// System colours as the window toolkit names them; other values are RGB (0x00BBGGRR).
inline constexpr uint32_t kColourWindowText = 0x80000008;
inline constexpr uint32_t kColourButtonText = 0x80000012;

/// A control as a form's design places it. Positions and sizes are in twips, relative to the
/// container (the form itself when sContainer is empty); a height of 0 lets a label grow with its
/// text.
struct SControlDesign {
  const char* sName = "";
  EControlKind eckKind = eckLabel;
  const char* sContainer = "";
  int32_t lLeft = 0;
  int32_t lTop = 0;
  int32_t lWidth = 0;
  int32_t lHeight = 0;
  const char* sCaption = "";
  SFont font{};
  uint32_t lForeColour = kColourButtonText;
  bool fVisible = true;
  /// Buttons: the answer the operator gives by pressing it.
  EOperatorAnswer eoaAnswer = eoaNone;
  /// Timers: the interval; timers start disabled.
  int32_t lIntervalMs = 0;
  /// Pictures: the picture shown.
  const CPicture& (*fnPicture)() = nullptr;
};

/// One control of a form: a label, picture, button, panel or timer. A change of caption or
/// visibility while the form is shown reaches the form's view. A timer runs on the thread's
/// message pump every interval while it is enabled, and calls its handler; a button calls its
/// handler when the operator presses it.
class CControl : public IControl {
 public:
  CControl(CForm& frmParent, const SControlDesign& design);
  ~CControl() override;
  CControl(const CControl&) = delete;
  CControl& operator=(const CControl&) = delete;

  const std::string& Name() const override { return msName; }
  const std::string& Caption() const override { return msCaption; }
  void SetCaption(const std::string& sCaption) override;

  bool Visible() const { return mfVisible; }
  void SetVisible(bool fVisible);
  /// Timers: whether it runs. Other controls: whether the operator can use it.
  bool Enabled() const;
  /// Enabling a timer starts its count afresh; disabling stops it.
  void SetEnabled(bool fEnabled);

  EControlKind Kind() const { return mDesign.eckKind; }
  const SControlDesign& Design() const { return mDesign; }
  /// The picture of a picture control; nullptr for the others.
  const CPicture* Picture() const;
  EOperatorAnswer Answer() const { return mDesign.eoaAnswer; }

  /// What a click (buttons) or a tick (timers) runs.
  void SetHandler(std::function<void()> fnHandler) { mfnHandler = std::move(fnHandler); }
  void RunHandler();

  /// Caption, visibility and enabled state as designed; a timer stops.
  void ResetToDesign();

 private:
  CForm& mForm;
  SControlDesign mDesign;
  std::string msName;
  std::string msCaption;
  bool mfVisible;
  bool mfEnabled;
  std::function<void()> mfnHandler;
  std::unique_ptr<CPumpTimer> mpTimer;
};

}  // namespace ksv940
