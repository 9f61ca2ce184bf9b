#pragma once

// A record field's bytes as Qt text, by the display rule both windows share
// (ui/layout/text_decoding.h): UTF-8 when valid, otherwise Windows-1251.

#include <QString>

#include <string_view>

namespace sv {

QString decodeForDisplay(std::string_view bytes);

}  // namespace sv
