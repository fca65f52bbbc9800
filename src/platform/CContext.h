#pragma once

#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace ksv940 {

/// The per-thread context through which the component reaches the host's global objects and the
/// platform services (clock, message pump, message boxes, settings, trace, serial ports...).
///
/// `CContext::Get<T>()` answers the innermost service of type T that a `CContextScope` on this
/// thread provides; without one it answers the thread's default, made once by `T::CreateDefault()`
/// (a static member every service interface declares) and kept for the thread's life.
class CContext {
 public:
  template <class T>
  static T& Get() {
    return *static_cast<T*>(
        Lookup(typeid(T), [] { return std::shared_ptr<void>(T::CreateDefault()); }));
  }

  /// The shared owner of the service, for objects that must keep it alive beyond a scope.
  template <class T>
  static std::shared_ptr<T> Share() {
    return std::static_pointer_cast<T>(
        LookupShared(typeid(T), [] { return std::shared_ptr<void>(T::CreateDefault()); }));
  }

 private:
  friend class CContextScope;
  using Factory = std::function<std::shared_ptr<void>()>;
  static void* Lookup(std::type_index type, const Factory& factory);
  static std::shared_ptr<void> LookupShared(std::type_index type, const Factory& factory);
};

/// Replaces services of the current thread's context for the scope's lifetime. Scopes nest; the
/// innermost one that provides a type wins. A scope must end on the thread that began it, in
/// reverse order of creation.
class CContextScope {
 public:
  CContextScope();
  ~CContextScope();
  CContextScope(const CContextScope&) = delete;
  CContextScope& operator=(const CContextScope&) = delete;

  template <class T>
  CContextScope& Set(std::shared_ptr<T> pService) {
    mServices[typeid(T)] = std::static_pointer_cast<void>(std::move(pService));
    return *this;
  }

 private:
  friend class CContext;
  std::unordered_map<std::type_index, std::shared_ptr<void>> mServices;
  CContextScope* mpOuter;
};

}  // namespace ksv940
