#include "platform/core/Win32Text.h"

#include <windows.h>

namespace ksv940 {

std::wstring WideText(const std::string& sText) {
  if (sText.empty()) {
    return {};
  }
  int nLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, sText.data(),
                                    static_cast<int>(sText.size()), nullptr, 0);
  if (nLength <= 0) {
    // Not UTF-8 (a garbled reply): each byte stands for the character of the same number.
    std::wstring sWide;
    sWide.reserve(sText.size());
    for (char c : sText) {
      sWide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return sWide;
  }
  std::wstring sWide(static_cast<size_t>(nLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sText.data(), static_cast<int>(sText.size()), sWide.data(),
                      nLength);
  return sWide;
}

std::string NarrowText(const wchar_t* szText, size_t nLength) {
  if (szText == nullptr || nLength == 0) {
    return {};
  }
  int nBytes = WideCharToMultiByte(CP_UTF8, 0, szText, static_cast<int>(nLength), nullptr, 0,
                                   nullptr, nullptr);
  std::string sText(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
  if (nBytes > 0) {
    WideCharToMultiByte(CP_UTF8, 0, szText, static_cast<int>(nLength), sText.data(), nBytes,
                        nullptr, nullptr);
  }
  return sText;
}

std::string SystemErrorText(unsigned long dwError, const char* szTrim,
                            const std::string& sFallback) {
  char szText[256] = {};
  DWORD nLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, dwError, 0, szText, sizeof szText, nullptr);
  std::string sText(szText, nLength);
  sText.erase(sText.find_last_not_of(szTrim) + 1);
  return sText.empty() ? sFallback + std::to_string(dwError) : sText;
}

std::string AnsiText(const std::string& sText) {
  std::wstring sWide = WideText(sText);
  if (sWide.empty()) {
    return {};
  }
  int nBytes = WideCharToMultiByte(CP_ACP, 0, sWide.data(), static_cast<int>(sWide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string sAnsi(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
  if (nBytes > 0) {
    WideCharToMultiByte(CP_ACP, 0, sWide.data(), static_cast<int>(sWide.size()), sAnsi.data(),
                        nBytes, nullptr, nullptr);
  }
  return sAnsi;
}

}  // namespace ksv940
