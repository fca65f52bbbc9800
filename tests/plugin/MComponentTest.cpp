#include "host/default/MHostDefaults.h"
#include "plugin/MComponent.h"

#include <gtest/gtest.h>

#include "link/IWifiConnector.h"

#include "host/IOrvexMtiData.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestResult.h"
#include "platform/automation/CClassRegistry.h"
#include "platform/core/CContext.h"
#include "platform/core/MRuntime.h"
#include "testing/MCaught.h"

namespace ksv940 {
namespace {

using test::Caught;

// A thread's class registry as the host installs it, with the component registered.
class MComponentTest : public ::testing::Test {
 protected:
  MComponentTest() : mpRegistry(MakeHostRegistry()) {
    mScope.Set<CClassRegistry>(mpRegistry);
    DllRegisterServer();
  }

  std::shared_ptr<CClassRegistry> mpRegistry;
  CContextScope mScope;
};

TEST_F(MComponentTest, TheTypeLibrarysClassesAreRegisteredWithTheirIdentities) {
  struct Row {
    const char* sName;
    const char* sClassId;
    const char* sInterfaceId;
    bool fCreatable;
  };
  const Row rows[] = {
      {"CKsvVti", "3407950b-0137-4f81-b129-e0cf619ff7e3", "3fc9ef91-1a7b-4b46-9430-cfb21aaca97a",
       true},
      {"CKsvSafetyTest", "dffb18ba-aa95-4ff8-848e-7ede3daff81b",
       "2d1cfbeb-2f1b-4fb4-adbb-73460ae3e1ba", true},
      {"CKsvTestOptions", "017717e8-6433-4926-8f48-7cc79d94e5a5",
       "942e8536-3aae-4275-a3c1-686181e6bfb3", false},
      {"CKsvTestResult", "a1420244-86c1-4c8c-b154-beb0fba5ddf4",
       "a2ac4269-c466-4f29-a44e-576ef013fbcc", false},
      {"CKsvMlcQuery", "a90e5f20-2091-47a9-bd61-582dc8284429",
       "2f64eea1-7540-43c4-84b4-a58a51197901", true},
      {"GDeclares", "a3778cb4-11db-47dc-beb3-de0945ee0773", "6f294006-11c8-45bd-9146-682d8b6c5327",
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sName);
    const SClassRegistration* pClass =
        mpRegistry->FindByProgId(std::string("OrvexKSV940vti.") + row.sName);
    ASSERT_NE(pClass, nullptr);
    EXPECT_EQ(pClass->sClassId, row.sClassId);
    EXPECT_EQ(pClass->sInterfaceId, row.sInterfaceId);
    EXPECT_EQ(pClass->fCreatable, row.fCreatable);
    EXPECT_EQ(pClass->sServer, "OrvexKSV940vti");
  }
  // and the host's MtiData and the wireless connector the component ships with
  EXPECT_EQ(mpRegistry->Registrations().size(), std::size(rows) + 2);
  EXPECT_NE(mpRegistry->FindByClassId(IWifiConnector::kClassId), nullptr);
}

TEST_F(MComponentTest, TheHostCreatesWhatItMayAndIsRefusedTheRest) {
  struct Row {
    bool fByProgId;
    const char* sKey;
    const char* sCreated;  // the class made, or nullptr for "can't create object" (429)
  };
  const Row rows[] = {
      {true, "OrvexKSV940vti.CKsvSafetyTest", "CKsvSafetyTest"},
      {true, "orvexksv940vti.cksvsafetytest", "CKsvSafetyTest"},
      {false, "dffb18ba-aa95-4ff8-848e-7ede3daff81b", "CKsvSafetyTest"},
      {false, "{DFFB18BA-AA95-4FF8-848E-7EDE3DAFF81B}", "CKsvSafetyTest"},
      {false, IOrvexMtiData::kClassId, "MtiData"},
      {true, "OrvexKSV940vti.CKsvMlcQuery", "CKsvMlcQuery"},
      {true, "OrvexKSV940vti.CKsvTestOptions", nullptr},
      {false, "a1420244-86c1-4c8c-b154-beb0fba5ddf4", nullptr},
      {true, "OrvexKSV940vti.GDeclares", nullptr},
      {true, "OrvexKSV940vti.CKsvVti", "CKsvVti"},
      {true, "", nullptr},
      {false, "dffb18ba-aa95-4ff8-848e-7ede3daff81c", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sKey);
    auto create = [&] {
      return row.fByProgId ? mpRegistry->CreateObject(row.sKey)
                           : mpRegistry->CreateInstance(row.sKey);
    };
    if (row.sCreated != nullptr) {
      auto pObject = create();
      ASSERT_NE(pObject, nullptr);
      EXPECT_EQ(pObject->ClassName(), row.sCreated);
    } else {
      auto err = Caught(create);
      EXPECT_EQ(err.Number(), erCannotCreateObject);
      EXPECT_EQ(err.Description(), "ActiveX component can't create object");
    }
  }
  EXPECT_EQ(DllGetClassObject("017717e8-6433-4926-8f48-7cc79d94e5a5"), nullptr);
  DllUnregisterServer();
  EXPECT_EQ(Caught([&] { mpRegistry->CreateObject("OrvexKSV940vti.CKsvSafetyTest"); }).Number(),
            erCannotCreateObject);
  EXPECT_NE(mpRegistry->CreateInstance(IOrvexMtiData::kClassId), nullptr);
}

TEST_F(MComponentTest, ObjectsTheHostKeepsOutliveTheirMakerAndKeepTheLibraryLoaded) {
  ASSERT_TRUE(DllCanUnloadNow());
  std::shared_ptr<CKsvTestResult> pKept;
  std::shared_ptr<IAutomationObject> pTest;
  {
    // The maker replaces its result for every test; the host holds on to the first one.
    auto pMaker = std::make_shared<CKsvTestResult>();
    pMaker->SetReading("0.5mA", emt_AC, "read");
    pKept = pMaker;
    pMaker = std::make_shared<CKsvTestResult>();
    pTest = mpRegistry->CreateObject("OrvexKSV940vti.CKsvSafetyTest");
    EXPECT_FALSE(DllCanUnloadNow());
  }
  DllUnregisterServer();
  EXPECT_FLOAT_EQ(pKept->Value(), 500.0F);
  EXPECT_EQ(pKept->State(), etsCompleted);
  EXPECT_EQ(pTest->ClassName(), "CKsvSafetyTest");
  EXPECT_FALSE(DllCanUnloadNow());
  pKept.reset();
  EXPECT_FALSE(DllCanUnloadNow());
  pTest.reset();
  EXPECT_TRUE(DllCanUnloadNow());
}

}  // namespace
}  // namespace ksv940
