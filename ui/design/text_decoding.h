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

// Well-formed UTF-8 has no malformed, overlong or truncated sequence, no
// surrogate, nothing past U+10FFFF; a leading byte order mark is shown, not
// dropped. In Windows-1251 every byte is a character: 0x98, unassigned,
// becomes U+0098 as on Windows.
std::u16string decodeForDisplayUtf16(std::string_view bytes);

}  // namespace sv::design
