// The text of a sequence row's cells and the conversions back, as plain
// functions.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace rowtext {

// The leading decimal number of `text` as C's conversions read it: blanks,
// an optional sign, digits, anything after them ignored. Returns the low 32
// bits of the value (a negative value wraps, so "-100" gives 4294967196), or
// nothing when the text does not start with a number.
std::optional<std::uint32_t> leadingNumber(const QString& text);

// As atoi with the result's low bits: 0 when there is no number.
inline std::uint32_t numberOrZero(const QString& text) { return leadingNumber(text).value_or(0); }

// "Yes" / "No" for the cursor-back column, and the case-insensitive reading.
QString cursorBackText(int cursorBack);
int cursorBackFromText(const QString& text);

// The click-type column: the combo box text for 0..3; any other value (only
// a sequence file can hold one) is named by its number.
QString clickTypeText(int clickType);

} // namespace rowtext
