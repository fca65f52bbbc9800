// A compiled automation client of the Windows server, for what a script cannot do: a host timer
// that aborts a waiting test, the host's own timer ticking while the plug-in waits, the CPU the
// host process spends during a 10-second wait, and the discovery query through the host's
// interface IOrvexMLCQuery with its record. Early-bound, as a compiled host calls.
//
// Usage: ksv940client.exe PORT QUERYPORT. Prints "ok ..." or "FAIL ..." per check and the figures,
// and exits with the number of failures.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "OrvexKSV940vti.h"

namespace {

int giFailures = 0;
_CKsvVti* gpVti = nullptr;
int giTicks = 0;
DWORD gdwAbortAt = 0;

void Check(bool fOk, const char* szWhat, const std::string& sDetail = {}) {
  std::printf("%s %s%s%s\n", fOk ? "ok  " : "FAIL", szWhat, sDetail.empty() ? "" : ": ",
              sDetail.c_str());
  if (!fOk) {
    ++giFailures;
  }
}

std::string Narrow(BSTR b) {
  std::string s;
  for (UINT i = 0; b != nullptr && i < SysStringLen(b); ++i) {
    s += static_cast<char>(b[i]);
  }
  return s;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  ++giTicks;
}

// The process's CPU and the time, sampled from host timers inside the 10-second wait.
double gdCpuAt[2] = {0, 0};
DWORD gdwAt[2] = {0, 0};
double ProcessCpuSeconds();

void CALLBACK SampleFirst(HWND, UINT, UINT_PTR idTimer, DWORD) {
  KillTimer(nullptr, idTimer);
  gdCpuAt[0] = ProcessCpuSeconds();
  gdwAt[0] = GetTickCount();
}

void CALLBACK SampleSecond(HWND, UINT, UINT_PTR idTimer, DWORD) {
  KillTimer(nullptr, idTimer);
  gdCpuAt[1] = ProcessCpuSeconds();
  gdwAt[1] = GetTickCount();
}

void CALLBACK AbortNow(HWND, UINT, UINT_PTR idTimer, DWORD) {
  KillTimer(nullptr, idTimer);
  gdwAbortAt = GetTickCount();
  gpVti->Abort();
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](FILETIME t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Runs an insulation test whose measuring time is 10 s: the plug-in waits 10 s for it.
HRESULT RunTenSecondTest(_CKsvSafetyTest* pTest) {
  return gpVti->RunSafetyTest(pTest, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ksv940client PORT QUERYPORT\n");
    return 2;
  }
  short iPort = static_cast<short>(_wtoi(argv[1]));
  LONG lQueryPort = _wtol(argv[2]);
  CoInitialize(nullptr);

  HRESULT hr = CoCreateInstance(CLSID_CKsvVti, nullptr, CLSCTX_INPROC_SERVER, IID__CKsvVti,
                                reinterpret_cast<void**>(&gpVti));
  Check(SUCCEEDED(hr), "CoCreateInstance CKsvVti");
  if (FAILED(hr)) {
    return 1;
  }
  _CKsvTestOptions* pOptions = nullptr;
  gpVti->get_testOptions(&pOptions);
  pOptions->put_Duration(10);
  _CKsvSafetyTest* pTest = nullptr;
  CoCreateInstance(CLSID_CKsvSafetyTest, nullptr, CLSCTX_INPROC_SERVER, IID__CKsvSafetyTest,
                   reinterpret_cast<void**>(&pTest));
  pTest->Initialize(etcIRMains, epcOff);
  Check(SUCCEEDED(gpVti->InitRemote(iPort)), "InitRemote");

  // A 10-second wait: the host's own timer keeps ticking, the process uses next to no CPU.
  UINT_PTR idTick = SetTimer(nullptr, 0, 500, &Tick);
  // The wait itself runs from shortly after the start to 10 s later: measured from 1 s to 9.5 s.
  SetTimer(nullptr, 0, 1000, &SampleFirst);
  SetTimer(nullptr, 0, 9500, &SampleSecond);
  giTicks = 0;
  double dCpuBefore = ProcessCpuSeconds();
  DWORD dwStart = GetTickCount();
  hr = RunTenSecondTest(pTest);
  double dElapsed = (GetTickCount() - dwStart) / 1000.0;
  double dCpu = ProcessCpuSeconds() - dCpuBefore;
  KillTimer(nullptr, idTick);
  Check(SUCCEEDED(hr), "RunSafetyTest with a 10 s measuring time");
  _CKsvTestResult* pResult = nullptr;
  gpVti->get_TestResult(&pResult);
  ::EKsvTestState eState = etsNotPerformed;
  pResult->get_State(&eState);
  pResult->Release();
  Check(eState == etsCompleted, "the 10 s test completed");
  double dWaitSeconds = (gdwAt[1] - gdwAt[0]) / 1000.0;
  double dWaitCpu = gdCpuAt[1] - gdCpuAt[0];
  char szFigures[200];
  std::snprintf(szFigures, sizeof szFigures,
                "%.3f s in %.1f s = %.2f %% of a core (the whole test: %.3f s in %.1f s)", dWaitCpu,
                dWaitSeconds, 100.0 * dWaitCpu / dWaitSeconds, dCpu, dElapsed);
  Check(dElapsed >= 10.0 && dWaitSeconds > 8.0 && dWaitCpu / dWaitSeconds < 0.01,
        "CPU of the host during the wait", szFigures);
  Check(giTicks >= static_cast<int>(dElapsed * 2 * 0.8), "the host's timer ticked during the wait",
        std::to_string(giTicks) + " ticks of 500 ms");

  // Abort from a host timer 1.5 s into the same wait: the test ends at once, stopped.
  SetTimer(nullptr, 0, 1500, &AbortNow);
  dwStart = GetTickCount();
  hr = RunTenSecondTest(pTest);
  DWORD dwAfterAbort = GetTickCount() - gdwAbortAt;
  Check(SUCCEEDED(hr), "RunSafetyTest aborted by the host");
  Check(gdwAbortAt != 0 && dwAfterAbort < 1000, "the test ended after the host's Abort",
        std::to_string(dwAfterAbort) + " ms after it");
  VARIANT_BOOL fFlag = VARIANT_FALSE;
  gpVti->FlagAbort(&fFlag);
  Check(fFlag == VARIANT_TRUE, "FlagAbort after Abort");
  gpVti->get_TestResult(&pResult);
  pResult->get_State(&eState);
  pResult->Release();
  Check(eState == etsNotPerformed, "the aborted test's result", std::to_string(eState));
  ::EKsvVtiState eVti = evsClosed;
  gpVti->get_State(&eVti);
  Check(eVti == evsIdle, "State after the aborted test", std::to_string(eVti));
  gpVti->EndRemote(nullptr);
  pTest->Release();
  pOptions->Release();
  gpVti->Release();

  // The discovery query through the host's interface: the record.
  IOrvexMLCQuery* pQuery = nullptr;
  hr = CoCreateInstance(CLSID_CKsvMlcQuery, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvexMLCQuery,
                        reinterpret_cast<void**>(&pQuery));
  Check(SUCCEEDED(hr), "CKsvMlcQuery as IOrvexMLCQuery");
  if (SUCCEEDED(hr)) {
    MtiQueryResult record{};
    hr = pQuery->QueryMTI(lQueryPort, &record);
    std::string sRecord = Narrow(record.Model) + "|" + Narrow(record.Serial) + "|" +
                          Narrow(record.Firmware) + "|" + std::to_string(record.Result);
    Check(SUCCEEDED(hr) && sRecord == "KSV940|K9400123|1.20|2", "QueryMTI record", sRecord);
    SysFreeString(record.Model);
    SysFreeString(record.Serial);
    SysFreeString(record.Firmware);
    BSTR bstrType = nullptr;
    pQuery->get_MtiType(&bstrType);
    Check(Narrow(bstrType) == "KSV940", "MtiType");
    SysFreeString(bstrType);
    pQuery->Release();
  }
  CoFreeUnusedLibraries();
  std::printf("%d failed\n", giFailures);
  CoUninitialize();
  return giFailures;
}
