// Replays the corpus of a fuzz target without libFuzzer: every file of the given folders is run
// through the target once, as the fuzzer would run it. A broken property aborts the program, so
// the test that runs it fails and names the file.
//
//   FuzzReplay TARGET FOLDER...

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace ksv940::fuzz {

int FuzzChannelReply(const uint8_t* pData, size_t nSize);
int FuzzConnect(const uint8_t* pData, size_t nSize);
int FuzzLanguage(const uint8_t* pData, size_t nSize);
int FuzzMicroSequence(const uint8_t* pData, size_t nSize);
int FuzzPlan(const uint8_t* pData, size_t nSize);
int FuzzReading(const uint8_t* pData, size_t nSize);
int FuzzRegistry(const uint8_t* pData, size_t nSize);
int FuzzRuntime(const uint8_t* pData, size_t nSize);
int FuzzScenario(const uint8_t* pData, size_t nSize);
int FuzzStatusWord(const uint8_t* pData, size_t nSize);
int FuzzWifi(const uint8_t* pData, size_t nSize);

namespace {

struct STarget {
  const char* szName;
  int (*fnRun)(const uint8_t*, size_t);
};

constexpr STarget kTargets[] = {
    {"ChannelReply", FuzzChannelReply},   {"Connect", FuzzConnect}, {"Language", FuzzLanguage},
    {"MicroSequence", FuzzMicroSequence}, {"Plan", FuzzPlan},       {"Reading", FuzzReading},
    {"Registry", FuzzRegistry},           {"Runtime", FuzzRuntime}, {"Scenario", FuzzScenario},
    {"StatusWord", FuzzStatusWord},       {"Wifi", FuzzWifi},
};

}  // namespace

}  // namespace ksv940::fuzz

int main(int argc, char** argv) {
  using namespace ksv940::fuzz;
  const STarget* pTarget = nullptr;
  for (const STarget& target : kTargets) {
    if (argc > 1 && std::strcmp(argv[1], target.szName) == 0) {
      pTarget = &target;
    }
  }
  if (pTarget == nullptr || argc < 3) {
    std::fprintf(stderr, "usage: FuzzReplay TARGET FOLDER...\ntargets:");
    for (const STarget& target : kTargets) {
      std::fprintf(stderr, " %s", target.szName);
    }
    std::fprintf(stderr, "\n");
    return 2;
  }
  std::set<std::filesystem::path> files;
  for (int i = 2; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (entry.is_regular_file()) {
        files.insert(entry.path());
      }
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "FuzzReplay: no inputs in the given folders\n");
    return 1;
  }
  for (const std::filesystem::path& path : files) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> vData((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    // The property checks print the condition; the file is named before each run, so an abort
    // shows which input broke it.
    std::fprintf(stderr, "%s\n", path.c_str());
    pTarget->fnRun(reinterpret_cast<const uint8_t*>(vData.data()), vData.size());
  }
  std::printf("%s: %zu inputs replayed\n", pTarget->szName, files.size());
  return 0;
}
