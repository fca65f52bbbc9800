#include <cstdio>

#include "platform/forms/IMessageBox.h"

namespace ksv940 {

namespace {

class CStderrMessageBox : public IMessageBox {
 public:
  void Show(const std::string& sText, const std::string& sTitle, bool /*fExclamation*/) override {
    std::fprintf(stderr, "%s: %s\n", MessageBoxTitle(sTitle).c_str(), sText.c_str());
    std::fflush(stderr);
  }
};

}  // namespace

std::shared_ptr<IMessageBox> IMessageBox::CreateDefault() {
  return std::make_shared<CStderrMessageBox>();
}

}  // namespace ksv940
