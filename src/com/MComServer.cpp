// The library's entry points as an in-process automation server: class objects, unloading,
// registration of the creatable classes (Apartment threading) and of the embedded type library.

#include <objbase.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "com/CClassFactory.h"
#include "com/CComKsvVti.h"
#include "com/CComMlcQuery.h"
#include "com/CComSafetyTest.h"
#include "com/MComSupport.h"
#include "com/MTypeLibrary.h"
#include "model/CKsvSafetyTest.h"
#include "platform/automation/CServerLock.h"
#include "platform/forms/Win32FormView.h"

namespace ksv940 {

namespace {

IUnknown* CreateVti() {
  return static_cast<_CKsvVti*>(new CComKsvVti());
}

IUnknown* CreateSafetyTest() {
  return static_cast<_CKsvSafetyTest*>(new CComSafetyTest(std::make_shared<CKsvSafetyTest>()));
}

IUnknown* CreateMlcQuery() {
  return static_cast<_CKsvMlcQuery*>(new CComMlcQuery());
}

// The classes a host may create; the library's other classes come from their properties. The
// ProgIDs are written out whole, so that the built library can be checked for them as it stands.
struct SCreatableClass {
  const CLSID* pClassId;
  const wchar_t* szProgId;
  const wchar_t* szName;  // the ProgID's part after the component's name
  CClassFactory::FCreate fnCreate;
};

const SCreatableClass kCreatable[] = {
    {&CLSID_CKsvVti, L"OrvexKSV940vti.CKsvVti", L"CKsvVti", &CreateVti},
    {&CLSID_CKsvSafetyTest, L"OrvexKSV940vti.CKsvSafetyTest", L"CKsvSafetyTest", &CreateSafetyTest},
    {&CLSID_CKsvMlcQuery, L"OrvexKSV940vti.CKsvMlcQuery", L"CKsvMlcQuery", &CreateMlcQuery},
};

std::wstring GuidText(const GUID& guid) {
  wchar_t szText[64] = {};
  StringFromGUID2(guid, szText, 64);
  return szText;
}

LONG SetValue(HKEY hRoot, const std::wstring& sKey, const wchar_t* szName,
              const std::wstring& sValue) {
  HKEY hKey = nullptr;
  LONG lResult =
      RegCreateKeyExW(hRoot, sKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
  if (lResult != ERROR_SUCCESS) {
    return lResult;
  }
  lResult = RegSetValueExW(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                           static_cast<DWORD>((sValue.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(hKey);
  return lResult;
}

SYSKIND ThisSysKind() {
  return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
}

}  // namespace

}  // namespace ksv940

using namespace ksv940;

extern "C" BOOL WINAPI DllMain(HINSTANCE /*hInstance*/, DWORD dwReason, LPVOID pReserved) {
  if (dwReason == DLL_PROCESS_DETACH && pReserved == nullptr) {
    // Unloaded while the process goes on: a later load registers the class afresh.
    CWin32FormView::UnregisterWindowClass();
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppObject) {
  if (ppObject == nullptr) {
    return E_POINTER;
  }
  *ppObject = nullptr;
  for (const SCreatableClass& cls : kCreatable) {
    if (IsEqualCLSID(rclsid, *cls.pClassId)) {
      return HandOut(new CClassFactory(cls.fnCreate), riid, ppObject);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return ModuleLocks() == 0 && CServerLock::Count() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllUnregisterServer();

extern "C" HRESULT WINAPI DllRegisterServer() {
  std::wstring sPath = ThisLibraryPath();
  ITypeLib* pLib = ComponentTypeLib();
  if (pLib == nullptr) {
    return SELFREG_E_TYPELIB;
  }
  std::wstring sLibId = GuidText(LIBID_OrvexKSV940vti);
  for (const SCreatableClass& cls : kCreatable) {
    std::wstring sClassKey = L"CLSID\\" + GuidText(*cls.pClassId);
    std::wstring sProgId = cls.szProgId;
    LONG lResult = ERROR_SUCCESS;
    for (LONG lStep :
         {SetValue(HKEY_CLASSES_ROOT, sClassKey, nullptr, sProgId),
          SetValue(HKEY_CLASSES_ROOT, sClassKey + L"\\InprocServer32", nullptr, sPath),
          SetValue(HKEY_CLASSES_ROOT, sClassKey + L"\\InprocServer32", L"ThreadingModel",
                   L"Apartment"),
          SetValue(HKEY_CLASSES_ROOT, sClassKey + L"\\ProgID", nullptr, sProgId),
          SetValue(HKEY_CLASSES_ROOT, sClassKey + L"\\TypeLib", nullptr, sLibId),
          SetValue(HKEY_CLASSES_ROOT, sClassKey + L"\\Version", nullptr, L"1.0"),
          SetValue(HKEY_CLASSES_ROOT, sProgId, nullptr, cls.szName),
          SetValue(HKEY_CLASSES_ROOT, sProgId + L"\\CLSID", nullptr, GuidText(*cls.pClassId))}) {
      if (lStep != ERROR_SUCCESS) {
        lResult = lStep;
      }
    }
    if (lResult != ERROR_SUCCESS) {
      DllUnregisterServer();
      return SELFREG_E_CLASS;
    }
  }
  if (FAILED(RegisterTypeLib(pLib, sPath.data(), nullptr))) {
    DllUnregisterServer();
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  for (const SCreatableClass& cls : kCreatable) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*cls.pClassId)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*cls.pClassId)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, cls.szProgId);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, cls.szProgId);
  }
  // Also when it was never registered: nothing of it is left either way.
  UnRegisterTypeLib(LIBID_OrvexKSV940vti, 1, 0, LOCALE_NEUTRAL, ThisSysKind());
  return S_OK;
}
