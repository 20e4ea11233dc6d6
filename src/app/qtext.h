// Between the engine's texts (UTF-16 std::u16string) and Qt's QString (also UTF-16).
#pragma once

#include <QString>

#include "toolkit/text.h"

namespace zentrow {

inline QString Q(TextView text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline Text T(const QString& text) { return text.toStdU16String(); }

}  // namespace zentrow
