#include "ui/main/text_decoding.h"

#include "ui/layout/text_decoding.h"

namespace sv {

QString decodeForDisplay(std::string_view bytes) {
  return QString::fromStdU16String(layout::decodeForDisplayUtf16(bytes));
}

}  // namespace sv
