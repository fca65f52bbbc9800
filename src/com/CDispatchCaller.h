#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/core/CAutomationError.h"

namespace ksv940 {

/// A host's object reached late-bound: its members called by name, as the plug-in calls the
/// host's objects. Holds a reference to the object while it lives; Nothing raises "object not set"
/// (91). A failing member raises its error object's number, source and description as a
/// CAutomationError.
class CDispatchCaller {
 public:
  explicit CDispatchCaller(IDispatch* pObject);
  ~CDispatchCaller();
  CDispatchCaller(const CDispatchCaller& other);
  CDispatchCaller& operator=(const CDispatchCaller&) = delete;

  IDispatch* Object() const { return mpObject; }

  /// Calls method sName with vArgs (in order, VARIANTs the caller keeps) and answers its result.
  VARIANT Call(const std::wstring& sName, std::vector<VARIANT> vArgs = {}) const;
  /// Reads property sName.
  VARIANT Get(const std::wstring& sName) const;
  /// Writes property sName.
  void Put(const std::wstring& sName, VARIANT vValue) const;

  /// Whether the object has a member of that name.
  bool Has(const std::wstring& sName) const;

  /// A result as text, as a Boolean, as a number (Type mismatch when it is none).
  static std::string Text(VARIANT vValue);
  static bool Boolean(VARIANT vValue);
  static int32_t Number(VARIANT vValue);
  static VARIANT TextArg(const std::string& sText);
  static VARIANT IntArg(int32_t lValue, VARTYPE vt = VT_I4);

 private:
  VARIANT Invoke(const std::wstring& sName, WORD wFlags, std::vector<VARIANT>& vArgs) const;

  IDispatch* mpObject;
};

}  // namespace ksv940
