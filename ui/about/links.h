#pragma once

// The author's links, in one place: the main window's pop-up menu and the
// About window show and open the same texts.

namespace sv {

inline constexpr char kHomePage[] = "http://www.varnok.example.com/";
inline constexpr char kEmail[] = "sievra@varnok.example.com";
// The subject's spaces go to the shell unescaped: the mail program reads them as typed.
inline constexpr char kMailLink[] = "mailto:sievra@varnok.example.com?Subject=Sievra for Dalvorn";

}  // namespace sv
