#include "dialogs/MPictures.h"

#include <iterator>

namespace ksv940 {

namespace {
#include "dialogs/pictures/NoResistance.xpm"
#include "dialogs/pictures/StopIcon.xpm"
#include "dialogs/pictures/WaitIcon.xpm"

template <size_t N>
CPicture FromXpm(const char* const (&ppRows)[N], const char* sSymbol) {
  return CPicture(std::vector<std::string>(std::begin(ppRows), std::end(ppRows)), sSymbol);
}
}  // namespace

const CPicture& StopIconPicture() {
  static const CPicture picture = FromXpm(kStopIconXpm, "/!\\");
  return picture;
}

const CPicture& NoResistancePicture() {
  static const CPicture picture = FromXpm(kNoResistanceXpm, "(X)");
  return picture;
}

const CPicture& WaitIconPicture() {
  static const CPicture picture = FromXpm(kWaitIconXpm, "(:)");
  return picture;
}

}  // namespace ksv940
