#pragma once

// The author's links, in one place: the main window's pop-up menu and the
// About window show and open the same texts, and both windows hand them to
// the desktop through the same shell-open request.

#include "ui/design/window_tables.h"

namespace sv {

inline constexpr char kHomePage[] = "http://www.varnok.example.com/";
inline constexpr char kEmail[] = "sievra@varnok.example.com";
// The subject's spaces go to the shell unescaped: the mail program reads them as typed.
inline constexpr char kMailLink[] = "mailto:sievra@varnok.example.com?Subject=Sievra for Dalvorn";

}  // namespace sv

namespace sv::design {

// SW_SHOWNORMAL: the started program's window is shown normally.
inline constexpr int kShowNormal = 1;

// The arguments of ShellExecuteA after the owner window, which is the
// toolkit's: the window that holds the clicked control.
struct ShellOpenRequest {
  const char* operation = "Open";
  const char* file = nullptr;        // ASCII, so the same in every 8-bit code page
  const char* parameters = nullptr;  // none
  const char* directory = nullptr;   // none
  int showCommand = kShowNormal;
};

// The request that opens target; Link::None opens nothing (file stays null).
constexpr ShellOpenRequest shellOpenRequest(Link target) {
  ShellOpenRequest request;
  if (target == Link::HomePage) request.file = kHomePage;
  if (target == Link::MailLink) request.file = kMailLink;
  return request;
}

}  // namespace sv::design
