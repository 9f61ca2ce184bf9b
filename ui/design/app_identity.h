#pragma once

// Who the program says it is: its name, title and version.

namespace sv {

inline constexpr char kAppName[] = "Sievra";
inline constexpr char kAppTitle[] = "VARNOK Sievra";
inline constexpr char kAppVersion[] = "1.00";
// The About window's copyright line, also given by --version.
inline constexpr char kCopyright[] = "Copyright (C) 2003 VARNOK";

}  // namespace sv
