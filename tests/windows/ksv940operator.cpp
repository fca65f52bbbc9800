// The operator at the screen, for the tests under Wine: watches for the plug-in's dialogs (window
// class OrvexKSV940Form) and message boxes (#32770) of any process, writes what each shows to a
// log, and answers through the window by pressing a button (BM_CLICK) as the rules say. It is also
// the trace viewer: a window marked with the viewer's property that appends every WM_COPYDATA line
// to a trace log.
//
// Usage: ksv940operator.exe RULES. The rules file is read again for every new window:
//   log=PATH          where observations are appended
//   trace=PATH        where trace lines are appended
//   snap=DIR          photograph each window (DIR\NN.bmp) before answering
//   CAPTION=ANSWER    continue, stop, skip, wait (leave it to its countdown) or ok; the default is
//                     continue for a dialog and ok for a message box
//   quit              end
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring gsRules;
std::map<std::wstring, std::wstring> gRules;
std::wstring gsLog;
std::wstring gsTrace;
std::wstring gsSnap;
int giSnap = 0;

std::string Utf8(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string r(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr,
                      nullptr);
  return r;
}

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring r(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
  return r;
}

bool ReadRules() {
  std::ifstream in(Utf8(gsRules));
  gRules.clear();
  std::string sLine;
  bool fQuit = false;
  while (std::getline(in, sLine)) {
    while (!sLine.empty() && (sLine.back() == '\r' || sLine.back() == '\n')) {
      sLine.pop_back();
    }
    if (sLine == "quit") {
      fQuit = true;
    }
    size_t nEq = sLine.find('=');
    if (nEq == std::string::npos) {
      continue;
    }
    std::wstring sKey = Wide(sLine.substr(0, nEq));
    std::wstring sValue = Wide(sLine.substr(nEq + 1));
    if (sKey == L"log") {
      gsLog = sValue;
    } else if (sKey == L"trace") {
      gsTrace = sValue;
    } else if (sKey == L"snap") {
      gsSnap = sValue;
    } else {
      gRules[sKey] = sValue;
    }
  }
  return !fQuit;
}

void Append(const std::wstring& sPath, const std::string& sLine) {
  if (sPath.empty()) {
    return;
  }
  std::ofstream out(Utf8(sPath), std::ios::app | std::ios::binary);
  out << sLine << "\n";
}

std::wstring TextOf(HWND hWnd) {
  wchar_t sz[2048] = {};
  // Across processes WM_GETTEXT is what reaches another program's controls.
  SendMessageTimeoutW(hWnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(sz), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return sz;
}

std::wstring ClassOf(HWND hWnd) {
  wchar_t sz[256] = {};
  GetClassNameW(hWnd, sz, 256);
  return sz;
}

std::wstring Plain(const std::wstring& s) {
  std::wstring r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) {
      r += s[++i];
    } else if (s[i] != L'&') {
      r += s[i];
    }
  }
  return r;
}

struct SSeen {
  bool fTopmost = false;
  std::wstring sCaption;
  std::vector<std::wstring> vTexts;
  std::vector<std::pair<HWND, std::wstring>> vButtons;
  std::wstring sIcon;
};

// Which system icon a box's icon control shows: the control paints itself into a bitmap of ours
// (the icon's handle means nothing in another process), compared with each system icon drawn
// the same way.
std::vector<DWORD> Painted(int iSize, HWND hControl, HICON hIcon) {
  HDC hScreen = GetDC(nullptr);
  HDC hMem = CreateCompatibleDC(hScreen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = iSize;
  bi.bmiHeader.biHeight = iSize;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* pBits = nullptr;
  HBITMAP hBmp = CreateDIBSection(hScreen, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
  HGDIOBJ hOld = SelectObject(hMem, hBmp);
  RECT all{0, 0, iSize, iSize};
  FillRect(hMem, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (hControl != nullptr) {
    PrintWindow(hControl, hMem, PW_CLIENTONLY);
  } else {
    DrawIconEx(hMem, 0, 0, hIcon, iSize, iSize, 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<const DWORD*>(pBits),
                            static_cast<const DWORD*>(pBits) + iSize * iSize);
  SelectObject(hMem, hOld);
  DeleteObject(hBmp);
  DeleteDC(hMem);
  ReleaseDC(nullptr, hScreen);
  return pixels;
}

std::wstring IconName(HWND hControl) {
  RECT rc;
  GetClientRect(hControl, &rc);
  int iSize = rc.right - rc.left;
  if (iSize <= 0 || iSize > 256) {
    return L"unreadable";
  }
  std::vector<DWORD> shown = Painted(iSize, hControl, nullptr);
  const std::pair<LPCWSTR, const wchar_t*> kIcons[] = {{IDI_EXCLAMATION, L"exclamation"},
                                                       {IDI_HAND, L"stop"},
                                                       {IDI_ASTERISK, L"information"},
                                                       {IDI_QUESTION, L"question"}};
  for (const auto& [id, szName] : kIcons) {
    if (Painted(iSize, nullptr, LoadIconW(nullptr, id)) == shown) {
      return szName;
    }
  }
  return L"other";
}

BOOL CALLBACK CollectChild(HWND hChild, LPARAM lParam) {
  auto* pSeen = reinterpret_cast<SSeen*>(lParam);
  if (!IsWindowVisible(hChild)) {
    return TRUE;
  }
  std::wstring sClass = ClassOf(hChild);
  LONG lStyle = GetWindowLongW(hChild, GWL_STYLE);
  if (_wcsicmp(sClass.c_str(), L"Button") == 0) {
    pSeen->vButtons.emplace_back(hChild, Plain(TextOf(hChild)));
  } else if (_wcsicmp(sClass.c_str(), L"Static") == 0) {
    if ((lStyle & SS_TYPEMASK) == SS_ICON) {
      pSeen->sIcon = IconName(hChild);
    } else if ((lStyle & SS_TYPEMASK) == SS_BITMAP) {
      pSeen->vTexts.push_back(L"[picture]");
    } else {
      std::wstring sText = TextOf(hChild);
      if (!sText.empty()) {
        pSeen->vTexts.push_back(sText);
      }
    }
  }
  return TRUE;
}

SSeen Look(HWND hWnd) {
  SSeen seen;
  seen.sCaption = TextOf(hWnd);
  seen.fTopmost = (GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  EnumChildWindows(hWnd, &CollectChild, reinterpret_cast<LPARAM>(&seen));
  return seen;
}

std::string Describe(const char* szKind, const SSeen& seen) {
  std::wstring s = Wide(szKind) + L"|" + seen.sCaption;
  for (const auto& t : seen.vTexts) {
    s += L"|" + t;
  }
  if (!seen.sIcon.empty()) {
    s += L"|icon=" + seen.sIcon;
  }
  s += L"|buttons:";
  for (size_t i = 0; i < seen.vButtons.size(); ++i) {
    s += (i ? L"," : L"") + seen.vButtons[i].second;
  }
  if (seen.fTopmost) {
    s += L"|topmost";
  }
  std::string r = Utf8(s);
  for (char& c : r) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  return r;
}

void Snap(HWND hWnd) {
  if (gsSnap.empty()) {
    return;
  }
  Sleep(700);
  RECT rc;
  GetWindowRect(hWnd, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HDC hScreen = GetDC(nullptr);
  HDC hMem = CreateCompatibleDC(hScreen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* pBits = nullptr;
  HBITMAP hBmp = CreateDIBSection(hScreen, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
  HGDIOBJ hOld = SelectObject(hMem, hBmp);
  BitBlt(hMem, 0, 0, w, h, hScreen, rc.left, rc.top, SRCCOPY);
  SelectObject(hMem, hOld);
  int nStride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(nStride * h);
  wchar_t szName[64];
  swprintf(szName, 64, L"\\%02d.bmp", ++giSnap);
  std::ofstream out(Utf8(gsSnap + szName), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(pBits), nStride * h);
  DeleteObject(hBmp);
  DeleteDC(hMem);
  ReleaseDC(nullptr, hScreen);
}

struct SWatched {
  bool fBox = false;
  SSeen last;
};
std::map<HWND, SWatched> gWatched;

BOOL CALLBACK FindWindows(HWND hWnd, LPARAM lParam) {
  auto* pFound = reinterpret_cast<std::vector<HWND>*>(lParam);
  if (IsWindowVisible(hWnd)) {
    std::wstring sClass = ClassOf(hWnd);
    if (sClass == L"OrvexKSV940Form" || sClass == L"#32770") {
      pFound->push_back(hWnd);
    }
  }
  return TRUE;
}

void Answer(const SWatched& watched) {
  const SSeen& seen = watched.last;
  std::wstring sAnswer = watched.fBox ? L"ok" : L"continue";
  if (auto it = gRules.find(seen.sCaption); it != gRules.end()) {
    sAnswer = it->second;
  }
  if (sAnswer == L"wait") {
    Append(gsLog, "answer|wait");
    return;
  }
  std::wstring sButton = sAnswer == L"stop"   ? L"Stop Test"
                         : sAnswer == L"skip" ? L"Skip"
                         : sAnswer == L"ok"   ? L"OK"
                                              : L"Continue";
  for (const auto& [hButton, sText] : seen.vButtons) {
    if (sText == sButton) {
      Append(gsLog, "answer|" + Utf8(sButton));
      PostMessageW(hButton, BM_CLICK, 0, 0);
      return;
    }
  }
  Append(gsLog, "answer|no button " + Utf8(sButton));
}

LRESULT CALLBACK TraceProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam) {
  if (uMessage == WM_COPYDATA) {
    auto* pData = reinterpret_cast<COPYDATASTRUCT*>(lParam);
    std::string sLine(static_cast<const char*>(pData->lpData), pData->cbData);
    std::string sShown;
    for (char c : sLine) {
      if (c == '\r') {
        sShown += "\\r";
      } else if (c == '\n') {
        sShown += "\\n";
      } else if (c == '\x1b') {
        sShown += "\\e";
      } else {
        sShown += c;
      }
    }
    Append(gsTrace, sShown);
    return TRUE;
  }
  return DefWindowProcW(hWnd, uMessage, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ksv940operator RULES\n");
    return 2;
  }
  gsRules = argv[1];
  ReadRules();
  WNDCLASSW cls{};
  cls.lpfnWndProc = &TraceProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"Ksv940TestTraceViewer";
  RegisterClassW(&cls);
  HWND hTrace = CreateWindowW(cls.lpszClassName, L"Trace", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, cls.hInstance, nullptr);
  SetPropA(hTrace, "vbAcceleratorVBTRACER_TRACEWIN", reinterpret_cast<HANDLE>(1));
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    std::vector<HWND> found;
    EnumWindows(&FindWindows, reinterpret_cast<LPARAM>(&found));
    std::set<HWND> alive(found.begin(), found.end());
    for (auto it = gWatched.begin(); it != gWatched.end();) {
      if (alive.count(it->first) == 0) {
        std::string sLast =
            it->second.last.vTexts.empty() ? "" : Utf8(it->second.last.vTexts.back());
        Append(gsLog, "closed|" + Utf8(it->second.last.sCaption) + "|" + sLast);
        it = gWatched.erase(it);
      } else {
        ++it;
      }
    }
    for (HWND hWnd : found) {
      auto it = gWatched.find(hWnd);
      if (it != gWatched.end()) {
        it->second.last = Look(hWnd);
        continue;
      }
      if (!ReadRules()) {
        return 0;
      }
      SWatched watched;
      watched.fBox = ClassOf(hWnd) == L"#32770";
      watched.last = Look(hWnd);
      Append(gsLog, Describe(watched.fBox ? "box" : "form", watched.last));
      Snap(hWnd);
      Answer(watched);
      gWatched[hWnd] = watched;
    }
    if (found.empty() && !ReadRules()) {
      return 0;
    }
  }
}
