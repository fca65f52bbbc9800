#include <gmock/gmock.h>

#include "hostdefaults/MHostDefaults.h"

// The tests run as a host runs the component: with the host's services installed first.
int main(int argc, char** argv) {
  testing::InitGoogleMock(&argc, argv);
  ksv940::InstallHostDefaults();
  return RUN_ALL_TESTS();
}
