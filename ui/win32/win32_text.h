#pragma once

// UTF-8 inside, UTF-16 at the Win32 calls: every path and text the program
// keeps is UTF-8, and only the wide-character functions see it converted.

#include <string>
#include <string_view>

namespace sv::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The system's 8-bit code page, for the few calls that only have an 8-bit
// form. Characters the code page lacks become its default character.
std::string toAnsiCodePage(std::string_view utf8);

}  // namespace sv::win32
