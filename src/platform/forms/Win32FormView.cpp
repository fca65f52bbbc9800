#include "platform/forms/Win32FormView.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/core/CAutomationError.h"
#include "platform/core/CContext.h"
#include "platform/core/CMessagePump.h"
#include "platform/core/Win32Module.h"
#include "platform/core/Win32PumpPlatform.h"
#include "platform/core/Win32Text.h"
#include "platform/forms/CControl.h"
#include "platform/forms/CForm.h"
#include "platform/forms/IWin32Window.h"

namespace ksv940 {

namespace {

constexpr int kFirstControlId = 100;

COLORREF ColourOf(uint32_t lColour) {
  // System colours are 0x800000NN, NN the system colour index.
  if ((lColour & 0x80000000u) != 0) {
    return GetSysColor(static_cast<int>(lColour & 0xFFu));
  }
  return static_cast<COLORREF>(lColour & 0xFFFFFFu);
}

// A picture's XPM rows as a device-independent bitmap; "None" pixels take the dialog's colour.
HBITMAP BitmapOf(const CPicture& picture) {
  const std::vector<std::string>& rows = picture.Xpm();
  if (!picture.IsWellFormed() || rows.empty()) {
    return nullptr;
  }
  std::istringstream header(rows[0]);
  int nWidth = 0, nHeight = 0, nColours = 0, nCpp = 0;
  header >> nWidth >> nHeight >> nColours >> nCpp;
  std::map<std::string, uint32_t> colours;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  uint32_t lFace = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  for (int i = 1; i <= nColours; ++i) {
    const std::string& sLine = rows[static_cast<size_t>(i)];
    std::string sKey = sLine.substr(0, static_cast<size_t>(nCpp));
    size_t nHash = sLine.find('#', static_cast<size_t>(nCpp));
    uint32_t lRgb = lFace;
    if (nHash != std::string::npos && sLine.size() >= nHash + 7) {
      lRgb = static_cast<uint32_t>(std::strtoul(sLine.substr(nHash + 1, 6).c_str(), nullptr, 16));
    }
    colours[sKey] = lRgb;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = nWidth;
  info.bmiHeader.biHeight = -nHeight;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pBits = nullptr;
  HBITMAP hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
  if (hBitmap == nullptr || pBits == nullptr) {
    return hBitmap;
  }
  auto* pPixels = static_cast<uint32_t*>(pBits);
  for (int y = 0; y < nHeight; ++y) {
    const std::string& sRow = rows[static_cast<size_t>(1 + nColours + y)];
    for (int x = 0; x < nWidth; ++x) {
      auto it = colours.find(sRow.substr(static_cast<size_t>(x * nCpp), static_cast<size_t>(nCpp)));
      pPixels[y * nWidth + x] = it == colours.end() ? lFace : it->second;
    }
  }
  return hBitmap;
}

}  // namespace

struct CWin32FormView::SWindow {
  CForm* pForm = nullptr;
  HWND hWnd = nullptr;
  HWND hOwner = nullptr;
  bool fOwnerWasEnabled = false;
  int iDpi = 96;
  std::map<const CControl*, HWND> controls;
  std::map<int, const CControl*> byId;
  std::vector<HFONT> vFonts;
  std::vector<HBITMAP> vBitmaps;
  int iPanelTop = -1;
  CMessagePump::Id filter = 0;

  int Px(int32_t lTwips) const { return MulDiv(lTwips, iDpi, 1440); }
};

namespace {

LRESULT CALLBACK FormWindowProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam);

void RegisterWindowClassOnce() {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  if (GetClassInfoExW(ThisLibrary(), CWin32FormView::kWindowClass, &cls)) {
    return;
  }
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = &FormWindowProc;
  cls.hInstance = ThisLibrary();
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  cls.lpszClassName = CWin32FormView::kWindowClass;
  RegisterClassExW(&cls);
}

LRESULT CALLBACK FormWindowProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam) {
  auto* pWindow =
      reinterpret_cast<CWin32FormView::SWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  switch (uMessage) {
    case WM_COMMAND:
      if (pWindow != nullptr && HIWORD(wParam) == BN_CLICKED) {
        auto it = pWindow->byId.find(LOWORD(wParam));
        int iId = LOWORD(wParam);
        if (iId == IDOK) {
          // Enter in the dialog: the default button, Continue.
          ResumeNext([&] { pWindow->pForm->Click(eoaContinue); });
          return 0;
        }
        if (it != pWindow->byId.end() && it->second->Kind() == eckButton) {
          CForm* pForm = pWindow->pForm;
          EOperatorAnswer eoa = it->second->Answer();
          // The click may hide the form and destroy this very window: nothing here is touched
          // after it.
          ResumeNext([&] { pForm->Click(eoa); });
        }
        return 0;
      }
      break;
    case DM_GETDEFID:
      if (pWindow != nullptr) {
        for (const auto& [iId, pControl] : pWindow->byId) {
          if (pControl->Kind() == eckButton && pControl->Answer() == eoaContinue) {
            return MAKELRESULT(iId, DC_HASDEFID);
          }
        }
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      if (pWindow != nullptr) {
        auto hDc = reinterpret_cast<HDC>(wParam);
        for (const auto& [pControl, hControl] : pWindow->controls) {
          if (hControl == reinterpret_cast<HWND>(lParam)) {
            SetTextColor(hDc, ColourOf(pControl->Design().lForeColour));
            break;
          }
        }
        SetBkColor(hDc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_PAINT:
      if (pWindow != nullptr && pWindow->iPanelTop >= 0) {
        PAINTSTRUCT paint;
        HDC hDc = BeginPaint(hWnd, &paint);
        RECT client;
        GetClientRect(hWnd, &client);
        RECT line{0, pWindow->iPanelTop, client.right, pWindow->iPanelTop + 2};
        DrawEdge(hDc, &line, EDGE_ETCHED, BF_TOP);
        EndPaint(hWnd, &paint);
        return 0;
      }
      break;
    case WM_CLOSE:
      return 0;  // only the buttons and the countdown end the dialog
    default:
      break;
  }
  return DefWindowProcW(hWnd, uMessage, wParam, lParam);
}

}  // namespace

CWin32FormView::CWin32FormView() = default;

CWin32FormView::~CWin32FormView() {
  while (!mWindows.empty()) {
    FormHidden(*mWindows.begin()->first);
  }
}

void CWin32FormView::UnregisterWindowClass() {
  UnregisterClassW(kWindowClass, ThisLibrary());
}

namespace {

// The owner's window, when the owner has one that still exists.
HWND OwnerWindow(const CForm& frm) {
  const auto* pOwner = dynamic_cast<const IWin32Window*>(frm.Owner());
  if (pOwner == nullptr) {
    return nullptr;
  }
  HWND hOwner = pOwner->WindowHandle();
  return hOwner != nullptr && IsWindow(hOwner) ? hOwner : nullptr;
}

// The screen's resolution in pixels per inch; 96 when the screen does not say.
int ScreenDpi() {
  HDC hScreen = GetDC(nullptr);
  int iDpi = hScreen != nullptr ? GetDeviceCaps(hScreen, LOGPIXELSX) : 96;
  if (hScreen != nullptr) {
    ReleaseDC(nullptr, hScreen);
  }
  return iDpi > 0 ? iDpi : 96;
}

// The dialog's window, without its controls: the design's client area, grown to hold its panels,
// with the window around it sized to fit and centred on the owner (or on the work area).
void CreateDialogWindow(const CForm& frm, CWin32FormView::SWindow& w) {
  int32_t lClientWidth = frm.ClientWidth(), lClientHeight = frm.ClientHeight();
  for (const auto& pControl : frm.DesignedControls()) {
    const SControlDesign& d = pControl->Design();
    if (d.eckKind == eckPanel && *d.sContainer == '\0') {
      lClientWidth = std::max(lClientWidth, d.lLeft + d.lWidth);
      lClientHeight = std::max(lClientHeight, d.lTop + d.lHeight);
    }
  }
  DWORD dwStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  DWORD dwExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, w.Px(lClientWidth), w.Px(lClientHeight)};
  AdjustWindowRectEx(&frame, dwStyle, FALSE, dwExStyle);
  int iWidth = frame.right - frame.left;
  int iHeight = frame.bottom - frame.top;
  RECT area{};
  if (w.hOwner != nullptr) {
    GetWindowRect(w.hOwner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  int iLeft = std::max(0L, area.left + (area.right - area.left - iWidth) / 2);
  int iTop = std::max(0L, area.top + (area.bottom - area.top - iHeight) / 2);

  w.hWnd = CreateWindowExW(dwExStyle, CWin32FormView::kWindowClass, WideText(frm.Caption()).c_str(),
                           dwStyle, iLeft, iTop, iWidth, iHeight, w.hOwner, nullptr, ThisLibrary(),
                           nullptr);
  if (w.hWnd == nullptr) {
    throw CAutomationError(
        51, kComponentName,
        "The dialog could not be created (system error " + std::to_string(GetLastError()) + ")");
  }
  SetWindowLongPtrW(w.hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&w));
}

using CPanelOrigins = std::map<std::string, std::pair<int32_t, int32_t>>;

// Controls inside a panel are placed relative to it; the panel itself is the line above them.
CPanelOrigins PanelOrigins(const CForm& frm, CWin32FormView::SWindow& w) {
  CPanelOrigins panels;
  for (const auto& pControl : frm.DesignedControls()) {
    const SControlDesign& d = pControl->Design();
    if (d.eckKind == eckPanel) {
      panels[d.sName] = {d.lLeft, d.lTop};
      w.iPanelTop = w.Px(d.lTop);
    }
  }
  return panels;
}

// The control's own font, kept with the window until it goes; none for the dialog's font.
HFONT ControlFont(const SControlDesign& d, CWin32FormView::SWindow& w) {
  if (d.font.dPoints <= 0) {
    return nullptr;
  }
  HFONT hFont =
      CreateFontW(-MulDiv(static_cast<int>(d.font.dPoints * 100), w.iDpi, 7200), 0, 0, 0,
                  d.font.fBold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_SWISS, WideText(d.font.sName).c_str());
  w.vFonts.push_back(hFont);
  return hFont;
}

// A label without a height grows with its text, down to the panel's line at most.
int LabelHeight(const CWin32FormView::SWindow& w, HFONT hFont, const std::wstring& sCaption,
                int32_t lWidth, int32_t lTop) {
  HDC hDc = GetDC(w.hWnd);
  HGDIOBJ hOld = SelectObject(hDc, hFont != nullptr ? hFont : GetStockObject(DEFAULT_GUI_FONT));
  RECT measure{0, 0, w.Px(lWidth), 0};
  DrawTextW(hDc, sCaption.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(hDc, hOld);
  ReleaseDC(w.hWnd, hDc);
  return std::min<int>(measure.bottom, std::max(0, w.iPanelTop - w.Px(lTop) - 4));
}

// The countdown line: one line that reaches to the first button shown beside it, so that the
// number of seconds is never wrapped away.
int32_t CountdownWidth(const CForm& frm, const SControlDesign& d) {
  int32_t lRight = d.lLeft + d.lWidth;
  for (const auto& pOther : frm.DesignedControls()) {
    const SControlDesign& o = pOther->Design();
    if (o.eckKind == eckButton && pOther->Visible() && std::string(o.sContainer) == d.sContainer &&
        o.lLeft > d.lLeft) {
      lRight = std::max(lRight, o.lLeft - 60);
      break;
    }
  }
  return lRight - d.lLeft;
}

// One control of the design as a child window with the id iId: a push button, a bitmap for a
// picture, a static text otherwise. Answers nullptr when the system made none.
HWND CreateControl(const CForm& frm, const CControl& control, const CPanelOrigins& panels, int iId,
                   CWin32FormView::SWindow& w) {
  const SControlDesign& d = control.Design();
  int32_t lLeft = d.lLeft, lTop = d.lTop, lWidth = d.lWidth;
  if (auto it = panels.find(d.sContainer); it != panels.end()) {
    lLeft += it->second.first;
    lTop += it->second.second;
  }
  HFONT hFont = ControlFont(d, w);
  std::wstring sCaption = WideText(control.Caption());
  int iControlHeight = w.Px(d.lHeight);
  if (d.eckKind == eckLabel && d.lHeight == 0) {
    iControlHeight = LabelHeight(w, hFont, sCaption, d.lWidth, lTop);
  }
  DWORD dwControlStyle = WS_CHILD | (control.Visible() ? WS_VISIBLE : 0);
  const wchar_t* szClass = L"STATIC";
  if (d.eckKind == eckButton) {
    szClass = L"BUTTON";
    dwControlStyle |= WS_TABSTOP | (d.eoaAnswer == eoaContinue ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (!control.Enabled()) {
      dwControlStyle |= WS_DISABLED;
    }
  } else if (d.eckKind == eckPicture) {
    dwControlStyle |= SS_BITMAP;
    sCaption.clear();
  } else if (panels.count(d.sContainer) != 0) {
    dwControlStyle |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    lWidth = CountdownWidth(frm, d);
  } else {
    dwControlStyle |= SS_LEFT | SS_NOPREFIX;
  }
  HWND hControl =
      CreateWindowExW(0, szClass, sCaption.c_str(), dwControlStyle, w.Px(lLeft), w.Px(lTop),
                      w.Px(lWidth), iControlHeight, w.hWnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(iId)), ThisLibrary(), nullptr);
  if (hControl == nullptr) {
    return nullptr;
  }
  SendMessageW(
      hControl, WM_SETFONT,
      reinterpret_cast<WPARAM>(hFont != nullptr ? hFont : GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (d.eckKind == eckPicture && control.Picture() != nullptr) {
    if (HBITMAP hBitmap = BitmapOf(*control.Picture()); hBitmap != nullptr) {
      w.vBitmaps.push_back(hBitmap);
      SendMessageW(hControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap));
    }
  }
  return hControl;
}

// Every control of the design but panels and timers; answers the default button (Continue), if
// one was made.
HWND CreateControls(const CForm& frm, CWin32FormView::SWindow& w) {
  CPanelOrigins panels = PanelOrigins(frm, w);
  int iId = kFirstControlId;
  HWND hDefault = nullptr;
  for (const auto& pControl : frm.DesignedControls()) {
    const SControlDesign& d = pControl->Design();
    if (d.eckKind == eckPanel || d.eckKind == eckTimer) {
      continue;
    }
    HWND hControl = CreateControl(frm, *pControl, panels, iId, w);
    if (hControl == nullptr) {
      continue;
    }
    if (d.eckKind == eckButton && d.eoaAnswer == eoaContinue) {
      hDefault = hControl;
    }
    w.controls[pControl.get()] = hControl;
    w.byId[iId] = pControl.get();
    ++iId;
  }
  return hDefault;
}

// Shows the dialog as a modal one: Tab, Enter and the buttons' mnemonics work as in any dialog,
// the owner is disabled while it shows, and the default button has the focus.
void ShowModal(const CForm& frm, HWND hDefault, CWin32FormView::SWindow& w) {
  HWND hDialog = w.hWnd;
  w.filter =
      CWin32PumpPlatform::Of(CContext::Get<CMessagePump>()).AddMessageFilter([hDialog](MSG& msg) {
        return (msg.hwnd == hDialog || IsChild(hDialog, msg.hwnd)) &&
               IsDialogMessageW(hDialog, &msg);
      });
  if (w.hOwner != nullptr) {
    w.fOwnerWasEnabled = IsWindowEnabled(w.hOwner) != FALSE;
    EnableWindow(w.hOwner, FALSE);
  }
  if (frm.Topmost()) {
    SetWindowPos(w.hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ShowWindow(w.hWnd, SW_SHOW);
  UpdateWindow(w.hWnd);
  if (hDefault != nullptr) {
    SetFocus(hDefault);
  }
}

}  // namespace

void CWin32FormView::FormShown(CForm& frm) {
  RegisterWindowClassOnce();
  auto pWindow = std::make_unique<SWindow>();
  SWindow& w = *pWindow;
  w.pForm = &frm;
  w.hOwner = OwnerWindow(frm);
  w.iDpi = ScreenDpi();
  CreateDialogWindow(frm, w);
  HWND hDefault = CreateControls(frm, w);
  ShowModal(frm, hDefault, w);
  mWindows[&frm] = std::move(pWindow);
}

void CWin32FormView::FormChanged(CForm& frm, const CControl* pControl) {
  auto it = mWindows.find(&frm);
  if (it == mWindows.end()) {
    return;
  }
  SWindow& w = *it->second;
  if (pControl == nullptr) {
    SetWindowTextW(w.hWnd, WideText(frm.Caption()).c_str());
    return;
  }
  auto itControl = w.controls.find(pControl);
  if (itControl == w.controls.end()) {
    return;
  }
  HWND hControl = itControl->second;
  if (pControl->Kind() != eckPicture) {
    std::wstring sCaption = WideText(pControl->Caption());
    wchar_t szShown[1024] = {};
    GetWindowTextW(hControl, szShown, 1024);
    if (sCaption != szShown) {
      SetWindowTextW(hControl, sCaption.c_str());
    }
  }
  bool fShown = IsWindowVisible(hControl) != FALSE;
  if (fShown != pControl->Visible()) {
    ShowWindow(hControl, pControl->Visible() ? SW_SHOWNA : SW_HIDE);
  }
  if (pControl->Kind() == eckButton) {
    EnableWindow(hControl, pControl->Enabled() ? TRUE : FALSE);
  }
}

void CWin32FormView::FormHidden(CForm& frm) {
  auto it = mWindows.find(&frm);
  if (it == mWindows.end()) {
    return;
  }
  std::unique_ptr<SWindow> pWindow = std::move(it->second);
  mWindows.erase(it);
  SWindow& w = *pWindow;
  if (w.filter != 0) {
    CWin32PumpPlatform::Of(CContext::Get<CMessagePump>()).RemoveMessageFilter(w.filter);
  }
  // The owner comes back before the dialog goes, so that the activation returns to it.
  if (w.hOwner != nullptr && w.fOwnerWasEnabled) {
    EnableWindow(w.hOwner, TRUE);
  }
  SetWindowLongPtrW(w.hWnd, GWLP_USERDATA, 0);
  DestroyWindow(w.hWnd);
  if (w.hOwner != nullptr) {
    SetActiveWindow(w.hOwner);
  }
  for (HFONT hFont : w.vFonts) {
    DeleteObject(hFont);
  }
  for (HBITMAP hBitmap : w.vBitmaps) {
    DeleteObject(hBitmap);
  }
}

void CWin32FormView::Show(const std::string& sText, const std::string& sTitle, bool fExclamation) {
  HWND hOwner = GetActiveWindow();
  UINT uType = MB_OK | MB_SETFOREGROUND | (fExclamation ? MB_ICONEXCLAMATION : 0u) |
               (hOwner == nullptr ? MB_TASKMODAL : 0u);
  MessageBoxW(hOwner, WideText(sText).c_str(), WideText(MessageBoxTitle(sTitle)).c_str(), uType);
}

std::shared_ptr<IFormView> IFormView::CreateDefault() {
  return std::make_shared<CWin32FormView>();
}

std::shared_ptr<IMessageBox> IMessageBox::CreateDefault() {
  return CContext::Share<IFormView>();
}

}  // namespace ksv940
