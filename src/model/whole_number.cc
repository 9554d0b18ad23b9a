#include "model/whole_number.h"

#include <cmath>
#include <limits>

#include "host/cell_value.h"
#include "host/number_format.h"

namespace tarquel::model {

std::optional<double> NumericValue(std::string_view text) { return host::ParseNumericText(text); }

std::optional<int32_t> ToWholeNumber(std::string_view text) {
  const std::optional<double> number = NumericValue(text);
  if (!number) return std::nullopt;
  // nearbyint rounds halves to even under the default rounding mode.
  const double rounded = std::nearbyint(*number);
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

std::optional<double> NumericCellValue(const host::CellValue& value) {
  if (value.IsNumber()) return value.number();
  if (value.IsText()) return NumericValue(value.text().text);
  return std::nullopt;
}

}  // namespace tarquel::model
