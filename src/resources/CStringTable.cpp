#include "resources/CStringTable.h"

#include <map>

namespace ksv940 {

namespace {

// Text 905 carries the two characters backslash and n where a line break would be; they are passed
// on as they are. Text 911 carries the number 21909 and a blank after "::".
const std::map<int32_t, std::string>& Table() {
  static const std::map<int32_t, std::string> table = {
      {901, "21901::Can not open port %%1"},
      {902, "21902::The test instrument is busy and can not perform the requested operation."},
      {903, "21903::The channel is already open on port %%1."},
      {904, "21904::The KSV940 reported an error: %%1."},
      {905,
       "21905::The micro sequence stored as %%1 is invalid. The test cannot be run.\\n\\nMicro "
       "sequence: %%2\\nInvalid/missing directive: %%3"},
      {906,
       "21906::The selected test (TestNo = %%1, Power Config = %%2, Lead No = %%3) is not a "
       "valid KSV940 test and cannot be performed."},
      {907, "21907::No reply on COM %%1."},
      {908, "21908::The reply from the KSV940 is not valid (Rx: %%1)."},
      {911,
       "21909:: This version of the Plug-In requires KSV940 FW v%%1 or newer. Please contact "
       "Marlo Raderurezi for the latest version."},

      {8000, "=== MICRO SEQUENCES ==="},
      {8001, "#stop=bpc;#stop=apc;mains=%V;#stop=apc;#wait=300;#many"},
      {8002, "#stop=bpc;#stop=apc;eres=%R;#stop=apc;rwire=%W;#wait=300;#many"},
      {8003, "#stop=bpc;#stop=apc;mins;#stop=apc;ins=%I;#wait=%D;#many"},
      {8004, "#stop=bpc;#stop=apc;apins;#stop=apc;ins=%I;#wait=%D;#many"},
      {8005, "#stop=bpc;#stop=apc;inse;#stop=apc;ins=%I;#wait=%D;#many"},
      {8006, "#stop=bpc;#stop=apc;insb;#stop=apc;ins=%I;#wait=%D;#many"},
      {8007, "#stop=bpc;#stop=apc;insd;#stop=apc;ins=%I;#wait=%D;#many"},
      {8008,
       "#stop=bpc;earthl;pol=%P;#stop=apc;neut=%N;mode=%U;ap=%A;#stop=apc;mdual=off;#wait=500;#"
       "many"},
      {8009,
       "#stop=bpc;encl;earth=%E;pol=%P;#stop=apc;neut=%N;mode=%U;ap=%A;#stop=apc;mdual=off;#wait="
       "500;#many"},
      {8010,
       "#stop=bpc;pat;earth=%E;pol=%P;#stop=apc;neut=%N;mode=%U;#stop=apc;ap=%A;grp=%X;mdual=off;#"
       "wait=500;#many"},
      {8011,
       "#stop=bpc;aux;earth=%E;pol=%P;#stop=apc;neut=%N;mode=%U;#stop=apc;ap=%A;mdual=off;#wait="
       "500;#many"},
      {8012,
       "#stop=bpc;map;map=%MV;pol=%P;#stop=apc;map=%MP;ap=%A;grp=%X;mode=%U;mdual=off;#wait=500;#"
       "many"},
      {8013, "#stop=bpc;#stop=apc;ppv;#stop=apc;#wait=300;#many"},
      {8014, "#stop=bpc;#stop=apc;ppr;rwire=%W;#stop=apc;#wait=300;#many"},
      {8015, "#stop=bpc;#stop=apc;ppl;mode=%U;#stop=apc;mdual=off;#wait=300;#many"},
      {8016, "#stop=bpc;eqcurr;#stop=apc;#wait=300;#many"},
      {8017,
       "#stop=bpc;nominal=on;saf;altearth=%E;mode=%U;ap=all//"
       ";#stop=apc;mdual=off;#wait=500;#many;nominal=off"},
      {8018,
       "#stop=bpc;diff;mode=%U;earth=%E;#stop=apc;pol=%P;ap=//"
       "gnd;#stop=apc;mdual=off;#wait=500;#many"},
      {8019,
       "#stop=bpc;dirl;mode=%U;earth=%E;#stop=apc;pol=%P;ap=all//"
       ";#stop=apc;mdual=off;#wait=500;#many"},
      {8020,
       "#stop=bpc;nominal=on;dmap;mode=%U;#stop=apc;pol=%P;#stop=apc;ap=%A;mdual=off;#wait=500;#"
       "many;nominal=off"},
      {8021,
       "#stop=bpc;accl;mode=%U;earth=%E;#stop=apc;pol=%P;neut=%N;ap=//"
       "open;#stop=apc;mdual=off;#wait=500;#many"},
      {8022,
       "#stop=bpc;nominal=on;spat;mode=%U;#stop=apc;ap=%A;mdual=off;#wait=500;#many;nominal=off"},
      {8023, "#stop=bpc;accv;earth=%E;pol=%P;#stop=apc;neut=%N;#stop=apc;#wait=500;#many"},
      {8024, "#stop=bpc;ecg;#stop=ecg;%C;#wait=%T;quit;exit;#done"},

      {8100, "=== VALUE FORMATS ==="},
      {8101, "# ##0.0"},
      {8102, "# ##0.000"},
      {8103, "# ##0.0"},
      {8104, "# ##0.0"},
      {8105, "# ##0.0"},
      {8106, "# ##0.0"},
      {8107, "# ##0.0"},
      {8108, "# ##0"},
      {8109, "# ##0"},
      {8110, "# ##0"},
      {8111, "# ##0"},
      {8112, "# ##0"},
      {8113, "# ##0.0"},
      {8114, "# ##0.000"},
      {8115, "# ##0.0"},
      {8116, "#0.0"},
      {8117, "# ##0"},
      {8118, "# ##0"},
      {8119, "# ##0"},
      {8120, "# ##0"},
      {8121, "# ##0"},
      {8122, "# ##0"},

      {8200, "=== UNITS ==="},
      {8201, "V"},
      {8202, "Ohm"},
      {8203, "MOhm"},
      {8204, "MOhm"},
      {8205, "MOhm"},
      {8206, "MOhm"},
      {8207, "MOhm"},
      {8208, "uA"},
      {8209, "uA"},
      {8210, "uA"},
      {8211, "uA"},
      {8212, "uA"},
      {8213, "V"},
      {8214, "Ohm"},
      {8215, "uA"},
      {8216, "A"},
      {8217, "uA"},
      {8218, "uA"},
      {8219, "uA"},
      {8220, "uA"},
      {8221, "uA"},
      {8222, "uA"},
  };
  return table;
}

}  // namespace

std::optional<std::string> CStringTable::Load(int32_t lId) {
  const auto& table = Table();
  auto it = table.find(lId);
  if (it == table.end()) {
    return std::nullopt;
  }
  return it->second;
}

}  // namespace ksv940
