#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace ksv940 {

/// The per-thread context through which the component reaches the host's global objects and the
/// platform services (clock, message pump, message boxes, settings, trace, serial ports...).
///
/// `CContext::Get<T>()` answers the innermost service of type T that a `CContextScope` on this
/// thread provides; without one it answers the thread's default, made once and kept for the
/// thread's life. The default is made by the factory the process installed for T with
/// `SetDefault` (the host installs its services this way at start-up), else by `T::CreateDefault()`
/// where the platform declares one. Asking for a service that has neither raises 429.
class CContext {
 public:
  template <class T>
  static T& Get() {
    return *static_cast<T*>(Lookup(typeid(T), DeclaredDefault<T>()));
  }

  /// The shared owner of the service, for objects that must keep it alive beyond a scope.
  template <class T>
  static std::shared_ptr<T> Share() {
    return std::static_pointer_cast<T>(LookupShared(typeid(T), DeclaredDefault<T>()));
  }

  /// Installs, for the whole process, how each thread makes its default T. Called at start-up,
  /// before the threads that use T ask for it; a thread keeps a default it has already made.
  template <class T>
  static void SetDefault(std::function<std::shared_ptr<T>()> fnMake) {
    InstallDefault(typeid(T),
                   [fnMake = std::move(fnMake)] { return std::shared_ptr<void>(fnMake()); });
  }

 private:
  friend class CContextScope;
  using Factory = std::function<std::shared_ptr<void>()>;

  template <class T>
  static Factory DeclaredDefault() {
    if constexpr (requires {
                    { T::CreateDefault() } -> std::convertible_to<std::shared_ptr<T>>;
                  }) {
      return [] { return std::shared_ptr<void>(T::CreateDefault()); };
    } else {
      return []() -> std::shared_ptr<void> { NoDefault(typeid(T).name()); };
    }
  }

  [[noreturn]] static void NoDefault(const char* szType);
  static void InstallDefault(std::type_index type, Factory factory);
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
