#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/record/SRunRecord.h"

namespace ksv940 {

/// The reports of a run, each kind chosen by its file's extension: .json, .csv, .xml (JUnit) or
/// .html. Each is rewritten whole whenever the run's record changes, by writing a new file beside
/// it and renaming that over it, so that a reader, or a run killed meanwhile, finds either the old
/// report or the new one, never a part.
class CReportSet {
 public:
  /// What is wrong with sPath as a report; the empty text when its extension names a kind.
  static std::string Problem(const std::string& sPath);

  /// vPaths have passed Problem. Failures to write are told on err.
  CReportSet(std::vector<std::string> vPaths, std::ostream& err);

  /// Rewrites every report from record; answers false (and says why on err) when one could not be
  /// written. The others are written all the same.
  bool Write(const SRunRecord& record);

  const std::vector<std::string>& Paths() const { return mvPaths; }
  /// Whether any write has failed so far.
  bool Failed() const { return mfFailed; }

 private:
  std::vector<std::string> mvPaths;
  std::ostream& mErr;
  bool mfFailed = false;
};

/// Replaces the file sPath by one holding sText: written in full and flushed to the disk under a
/// new name in the same folder, then renamed over sPath. Answers the reason when it fails (and
/// leaves sPath as it was), else the empty text.
std::string ReplaceFile(const std::string& sPath, const std::string& sText);

}  // namespace ksv940
