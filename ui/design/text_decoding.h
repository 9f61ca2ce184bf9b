#pragma once

// Turns a record field's bytes into text for the screen, the same way in
// both windows. Files are never re-encoded: this is for display only. Record
// files come from Windows in the system's 8-bit code page (Windows-1251 for
// Cyrillic Notes), or from a newer editor in UTF-8. A field is shown as
// UTF-8 when all of it is valid UTF-8, otherwise as Windows-1251, which gives
// every byte a character.

#include <string>
#include <string_view>

namespace sv::design {

// Well-formed UTF-8: no malformed, overlong or truncated sequence, no
// surrogate, nothing past U+10FFFF. A leading byte order mark is valid and
// is shown, not dropped.
bool isValidUtf8(std::string_view bytes);

std::u16string decodeForDisplayUtf16(std::string_view bytes);
std::string decodeForDisplayUtf8(std::string_view bytes);

// Every byte a character; 0x98, unassigned, becomes U+0098 as on Windows.
std::u16string windows1251ToUtf16(std::string_view bytes);
std::string windows1251ToUtf8(std::string_view bytes);

}  // namespace sv::design
