#include "plugin/MComponent.h"

#include <gtest/gtest.h>

#include "hostapi/IOrvexMtiData.h"
#include "hostdefaults/MHostDefaults.h"
#include "link/IWifiConnector.h"
#include "model/CKsvTestResult.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

// The host creates what it may, by ProgID or class id, and is refused the rest; objects it keeps
// keep the library loaded.
TEST(MComponent, TheHostCreatesWhatItMayAndObjectsItKeepsKeepTheLibraryLoaded) {
  auto pRegistry = MakeHostRegistry();
  CContextScope scope;
  scope.Set<CClassRegistry>(pRegistry);
  DllRegisterServer();
  EXPECT_NE(pRegistry->FindByClassId(IWifiConnector::kClassId), nullptr);
  struct SRow {
    bool fByProgId;
    const char* szKey;
    const char* szCreated;  // nullptr for "can't create object" (429)
  };
  const SRow rows[] = {{true, "OrvexKSV940vti.CKsvVti", "CKsvVti"},
                       {true, "orvexksv940vti.cksvsafetytest", "CKsvSafetyTest"},
                       {false, "{DFFB18BA-AA95-4FF8-848E-7EDE3DAFF81B}", "CKsvSafetyTest"},
                       {false, "a90e5f20-2091-47a9-bd61-582dc8284429", "CKsvMlcQuery"},
                       {false, IOrvexMtiData::kClassId, "MtiData"},
                       {true, "OrvexKSV940vti.CKsvTestOptions", nullptr},
                       {true, "OrvexKSV940vti.CKsvTestResult", nullptr},
                       {true, "OrvexKSV940vti.GDeclares", nullptr},
                       {false, "dffb18ba-aa95-4ff8-848e-7ede3daff81c", nullptr}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.szKey);
    auto fnCreate = [&] {
      return row.fByProgId ? pRegistry->CreateObject(row.szKey)
                           : pRegistry->CreateInstance(row.szKey);
    };
    if (row.szCreated != nullptr) {
      EXPECT_EQ(fnCreate()->ClassName(), row.szCreated);
    } else {
      auto err = Caught(fnCreate);
      EXPECT_EQ(err.Number(), erCannotCreateObject);
      EXPECT_EQ(err.Description(), "ActiveX component can't create object");
    }
  }
  ASSERT_TRUE(DllCanUnloadNow());
  auto pKept = std::make_shared<CKsvTestResult>();
  pKept->SetReading("0.5mA", emt_AC, "read");
  auto pTest = pRegistry->CreateObject("OrvexKSV940vti.CKsvSafetyTest");
  DllUnregisterServer();
  EXPECT_EQ(Caught([&] { pRegistry->CreateObject("OrvexKSV940vti.CKsvSafetyTest"); }).Number(),
            erCannotCreateObject);
  EXPECT_FLOAT_EQ(pKept->Value(), 500.0F);
  EXPECT_FALSE(DllCanUnloadNow());
  pKept.reset();
  EXPECT_FALSE(DllCanUnloadNow());
  pTest.reset();
  EXPECT_TRUE(DllCanUnloadNow());
}

}  // namespace
}  // namespace ksv940
