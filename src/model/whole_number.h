// Numbers typed by the user or stored as text, read the way the add-in's runtime reads them:
// a numeric text (full-width digits count, as a Japanese user expects) rounded to the nearest
// whole number, halves to even, that must fit a 32-bit integer.
#ifndef TARQUEL_MODEL_WHOLE_NUMBER_H_
#define TARQUEL_MODEL_WHOLE_NUMBER_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarquel::host {
class CellValue;
}

namespace tarquel::model {

// The number a text reads as, or nullopt when it is not numeric.
std::optional<double> NumericValue(std::string_view text);

// Rounded to the nearest whole number (halves to even); nullopt when not numeric or outside
// the 32-bit range after rounding.
std::optional<int32_t> ToWholeNumber(std::string_view text);

// A cell's value as a number when it is one or a numeric text; nullopt otherwise (empty cells
// included).
std::optional<double> NumericCellValue(const host::CellValue& value);

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_WHOLE_NUMBER_H_
