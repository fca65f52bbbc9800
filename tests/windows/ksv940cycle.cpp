// ksv940-cycle CYCLE PORT: runs the steps of a cycle file (see cycle.txt) through the plug-in
// object of the Linux build on serial port PORT (mapped by $KSV940_PORTS), answering every dialog
// with Continue at once, and prints each result as cycle.vbs prints it from the Windows server.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "hostapi/IOrvexMtiData.h"
#include "hostdefaults/MHostDefaults.h"
#include "model/CKsvSafetyTest.h"
#include "model/CKsvTestOptions.h"
#include "model/CKsvTestResult.h"
#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/forms/CAutomaticView.h"
#include "plugin/CKsvVti.h"
#include "plugin/MComponent.h"

using namespace ksv940;

namespace {

void PrintResult(const std::string& sStep, const CKsvTestResult& result) {
  std::cout << sStep << " state=" << result.State()
            << " milli=" << std::llround(static_cast<double>(result.Value()) * 1000.0)
            << " unknown=" << result.ValueUnknown() << " suffix=" << result.UnitSuffix() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: ksv940-cycle CYCLE PORT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  auto iPort = static_cast<int16_t>(std::stoi(argv[2]));
  InstallHostDefaults();
  CContextScope scope;
  InstallView(scope, std::make_shared<CAutomaticView>(eoaContinue, 0, std::cerr, std::cerr));
  DllRegisterServer();
  CKsvVti vti;
  std::string sLine;
  while (std::getline(in, sLine)) {
    std::istringstream words(sLine);
    std::string sStep;
    if (!(words >> sStep) || sStep[0] == '#') {
      continue;
    }
    // "fails STEP": the step's failure is printed and the cycle goes on.
    bool fMayFail = sStep == "fails";
    if (fMayFail) {
      words >> sStep;
    }
    try {
      if (sStep == "option") {
        std::string sName;
        int64_t lValue = 0;
        words >> sName >> lValue;
        vti.testOptions()->SetProperty(sName, CVariant(lValue));
      } else if (sStep == "connect") {
        vti.InitRemote(iPort);
        // No analyzer found leaves no MTI data (the script fails on it too).
        auto pMtiData = vti.MtiData();
        std::cout << "connect state=" << vti.State()
                  << " firmware=" << (pMtiData ? pMtiData->FirmwareVersion() : "(none)") << "\n";
      } else if (sStep == "test") {
        int32_t lCode = 0, lConfig = 0;
        std::string sAP;
        words >> lCode >> lConfig >> sAP;
        auto pTest = std::make_shared<CKsvSafetyTest>();
        pTest->Initialize(lCode, lConfig);
        pTest->SetAP(sAP);
        vti.RunSafetyTest(pTest, nullptr);
        PrintResult("test " + std::to_string(lCode), *vti.TestResult());
      } else if (sStep == "calibrate") {
        vti.Calibrate();
        PrintResult("calibrate", *vti.TestResult());
      } else if (sStep == "hv") {
        std::cout << "hv " << (vti.InHighVoltageMode() ? -1 : 0) << "\n";
      } else if (sStep == "end") {
        vti.EndRemote(nullptr);
        std::cout << "end state=" << vti.State() << "\n";
      } else if (sStep == "await") {
        // Until the file of that name is there (the analyzer is back), for at most 30 seconds.
        std::string sFile;
        words >> sFile;
        for (int i = 0; i < 600 && !std::filesystem::exists(sFile); ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
      }
    } catch (const CAutomationError& err) {
      std::cout << "error " << err.Number() << " " << err.Source() << " " << err.Description()
                << "\n";
      if (!fMayFail) {
        return 1;
      }
    }
  }
  return 0;
}
