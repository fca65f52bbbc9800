#include <dlfcn.h>

#include <string>

#include "app/store/CLibPq.h"
#include "app/store/CStoreError.h"

namespace ksv940 {

namespace {

// The client library's ABI name: the one libpq5 installs, whatever version of the server.
constexpr const char* kLibrary = "libpq.so.5";

template <class F>
void Resolve(void* pLibrary, F& fn, const char* pszName) {
  fn = reinterpret_cast<F>(dlsym(pLibrary, pszName));
  if (fn == nullptr) {
    throw CStoreError(std::string("PostgreSQL's client library ") + kLibrary + " has no " +
                      pszName + ": it is older than this program needs");
  }
}

}  // namespace

const CLibPq& CLibPq::Get() {
  // Loaded once and kept for the process's life: connections may be opened again, and the
  // library's own threads and handlers must never find it gone. A load that throws is tried
  // again on the next call.
  static const CLibPq lib = Load();
  return lib;
}

CLibPq CLibPq::Load() {
  void* pLibrary = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (pLibrary == nullptr) {
    const char* pszWhy = dlerror();
    throw CStoreError(std::string("a results store on a PostgreSQL server needs its client "
                                  "library, which cannot be loaded (") +
                      (pszWhy != nullptr ? pszWhy : kLibrary) +
                      "): on Debian, apt-get install libpq5");
  }
  CLibPq lib;
#define KSV940_RESOLVE(name) Resolve(pLibrary, lib.name, #name)
  KSV940_RESOLVE(PQconnectdb);
  KSV940_RESOLVE(PQstatus);
  KSV940_RESOLVE(PQerrorMessage);
  KSV940_RESOLVE(PQfinish);
  KSV940_RESOLVE(PQsetNoticeProcessor);
  KSV940_RESOLVE(PQexecParams);
  KSV940_RESOLVE(PQresultStatus);
  KSV940_RESOLVE(PQresultErrorMessage);
  KSV940_RESOLVE(PQclear);
  KSV940_RESOLVE(PQntuples);
  KSV940_RESOLVE(PQnfields);
  KSV940_RESOLVE(PQgetisnull);
  KSV940_RESOLVE(PQgetvalue);
  KSV940_RESOLVE(PQgetlength);
  KSV940_RESOLVE(PQftype);
#undef KSV940_RESOLVE
  return lib;
}

}  // namespace ksv940
