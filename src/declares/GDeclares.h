#pragma once

#include <cstdint>

namespace ksv940 {

// The public enumerations of the component's type library. All are 32-bit signed; the component
// stores and compares them as plain integers and accepts values outside the member lists.

/// State of the plug-in object, and of its serial channel.
enum EKsvVtiState : int32_t { evsClosed = 0, evsConnecting = 1, evsIdle = 2, evsBusy = 3 };

/// The test; also the index of its template (8000 + code), value format (8100 + code) and unit
/// (8200 + code).
enum EKsvTestCode : int32_t {
  etcMains = 1,
  etcProtEarth = 2,
  etcIRMains = 3,
  etcIRAppl = 4,
  etcIRMap = 5,
  etcIRM2N = 6,
  etcIRAppl2N = 7,
  etcEarthLeak = 8,
  etcEnclLeak = 9,
  etcPatLeak = 10,
  etcPatAux = 11,
  etcMAP = 12,
  etcPPVolt = 13,
  etcPPRes = 14,
  etcPPLeak = 15,
  etcEquipCurr = 16,
  etcAltEquip = 17,
  etcDiffLeak = 18,
  etcDELeak = 19,
  etcDAPLeak = 20,
  etcAccLeak = 21,
  etcAltAppl = 22,
  etcAccVoltage = 23,
  etcECGTest = 24,
};

/// The equipment outlet during a test. NC normal condition, ON open neutral, OE open earth, RM
/// reversed mains; 8 to 10 select the mains-voltage pair.
enum EKsvPowerConfiguration : int32_t {
  epcOffOE = 0,
  epcOff = 1,
  epcON = 2,
  epcNC = 3,
  epcOE = 4,
  epcONRM = 5,
  epcNCRM = 6,
  epcOERM = 7,
  epcMainsL1L2 = 8,
  epcMainsL1Gnd = 9,
  epcMainsL2Gnd = 10,
  epcAccessNC = 11,
  epcAccessON = 12,
  epcAccessOE = 13,
  epcAccessNCRM = 14,
  epcAccessONRM = 15,
  epcAccessOERM = 16,
};

/// Phase of a test. eppMin and eppMax alias the first and last value.
enum EKsvPowerPhase : int32_t {
  eppMin = 1,
  eppPowerOff = 1,
  eppNormal = 2,
  eppOpenNeutral = 3,
  eppOpenNeutralRev = 4,
  eppReversed = 5,
  eppMax = 5,
};

/// Applied-part lead of a test: none, all, or a lead number from 1 to 10.
enum EKsvAppliedParts : int32_t {
  KSV_LEAD_NONE = -1,
  KSV_LEAD_ALL = 0,
  KSV_LEAD_FIRST = 1,
  KSV_LEAD_LAST = 10,
};

enum EKsvTestLoad : int32_t { etlAAMI = 0, etlIEC = 1 };

enum EKsvTestStd : int32_t {
  etsUserDefined = -1,
  etsNONE = 0,
  etsAAMI = 1,
  ets601 = 2,
  ets1010 = 3,
  ets353 = 4,
  etsASNZ = 5,
};

enum EWaveformType : int32_t {
  ewt_Complex30BPM = 0,
  ewt_Complex60BPM = 1,
  ewt_Complex120BPM = 2,
  ewt_Complex180BPM = 3,
  ewt_Complex240BPM = 4,
  ewt_Pulse30BPM = 5,
  ewt_Pulse60BPM = 6,
  ewt_Square0125 = 7,
  ewt_Square2 = 8,
  ewt_Sine10 = 9,
  ewt_Sine40 = 10,
  ewt_Sine50 = 11,
  ewt_Sine60 = 12,
  ewt_Sine100 = 13,
  ewt_Triangle2 = 14,
  ewt_Vfib = 15,
};

enum ETestVoltage : int32_t { etv_500 = 0, etv_250 = 1 };

enum EAppliedParts : int32_t { eap_open = 0, eap_ground = 1, eap_both = 2 };

enum EMeasType : int32_t { emt_ACDC = 0, emt_AC = 1, emt_DC = 2 };

enum EResWires : int32_t { erw_2wire = 0, erw_4wire = 1 };

enum EPECurrent : int32_t { epec_200mA = 0, epec_25A = 1 };

enum EKsvMAPVoltage : int32_t { eemv_100 = 0, eemv_110 = 1 };

enum EKsvMAPPolarity : int32_t { eemp_Normal = 0, eemp_Reverse = 1 };

enum EKsvMAPCurrent : int32_t { eemc_1mA = 0, eemc_3_5mA = 1, eemc_7_5mA = 2 };

enum EKsvPLConfiguration : int32_t { eepl_Worst = 0, eepl_All = 1 };

enum EKsvPowerOFFScreen : int32_t { eepo_After = 0, eepo_before = 1 };

enum EKsvStopOptions : int32_t { KSV_STOP_BEFORE_NEWPC = 1, KSV_STOP_AFTER_NEWPC = 2 };

/// State of a test result.
enum EKsvTestState : int32_t {
  etsNotPerformed = 0,
  etsCompleted = 1,
  etsAborted = 2,
  etsOverflow = 3,
};

/// The component's error numbers: the object-error base 0x80040000 plus 42082 to 42093. The
/// offset from errVTI_Error selects the description text (string 900 + offset, with inline texts
/// for errVTI_NoReply and errVTI_InvalidReply).
enum EKsvVtiErrors__ : int32_t {
  errVTI_Error = static_cast<int32_t>(0x8004A462u),
  errVTI_NotOpen = static_cast<int32_t>(0x8004A463u),
  errVTI_Busy = static_cast<int32_t>(0x8004A464u),
  errVTI_AlreadyOpen = static_cast<int32_t>(0x8004A465u),
  errVTI_KsvError = static_cast<int32_t>(0x8004A466u),
  errVTI_InvalidMuSeq = static_cast<int32_t>(0x8004A467u),
  errVTI_InvalidTest = static_cast<int32_t>(0x8004A468u),
  errVTI_NoReply = static_cast<int32_t>(0x8004A469u),
  errVTI_InvalidReply = static_cast<int32_t>(0x8004A46Au),
  errVTI_UserAbort = static_cast<int32_t>(0x8004A46Bu),
  errVTI_InvalidPort = static_cast<int32_t>(0x8004A46Cu),
  errVTI_WrongFWVer = static_cast<int32_t>(0x8004A46Du),
};

/// The host's error numbers that the persistence of a test raises: the element is not a test, and
/// the document made no element. Their wording is the host's.
inline constexpr int32_t kErrNotKsvTestElement = static_cast<int32_t>(0x8004A3C2u);
inline constexpr int32_t kErrCreateElementFailed = static_cast<int32_t>(0x8004A3C3u);

/// The module name under which every text of the component is translated.
inline constexpr const char* kTextModule = "KSV940";

}  // namespace ksv940
