#include "ui/qt/text_decoding.h"

#include "ui/design/text_decoding.h"

namespace sv {

QString decodeForDisplay(std::string_view bytes) {
  const std::u16string text = design::decodeForDisplayUtf16(bytes);
  // Not QString::fromUtf16: that takes a leading byte order mark as a hint
  // and drops it, and the field's own U+FEFF is to be shown.
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace sv
