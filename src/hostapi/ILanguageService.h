#pragma once

#include <memory>
#include <string>

#include "platform/automation/CVariant.h"
#include "platform/forms/IControl.h"

namespace ksv940 {

/// The host's text service. Every text meant for a person is written "NNNNN::English wording" with
/// "%%1", "%%2"... as parameter markers and is shown only after it went through GetText.
class ILanguageService {
 public:
  virtual ~ILanguageService() = default;

  /// The text to show for sText of module sModule, with "%%1".."%%n" filled from vParams in order.
  virtual std::string GetText(const std::string& sModule, const std::string& sText,
                              const CVariantList& vParams) = 0;

  /// Replaces each caption written in text-number form by its translation.
  virtual void TranslateControls(const std::string& sModule, const CControlList& controls) = 0;
};

}  // namespace ksv940
