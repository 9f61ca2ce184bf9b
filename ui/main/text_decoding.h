#pragma once

// Turns a record field's bytes into text for the screen. Files are never
// re-encoded: this is for display only. Record files come from Windows, in
// the system's 8-bit code page (Windows-1251 for Cyrillic Notes), or from a
// newer editor in UTF-8.

#include <QString>

#include <string_view>

namespace sv {

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1251.
QString decodeForDisplay(std::string_view bytes);

QString decodeWindows1251(std::string_view bytes);

}  // namespace sv
