// xmlworker/: the node tree, class registry, XML text, messenger and undo.
// Text forms shared by the property access, the XML writer and the reader:
// the general float format, number parsing and the escapes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plashbox {

// The number conversion error of the platform: a text that is not a valid number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A published value that its object does not take: the conversion error, naming the property,
// the value and what the object accepts ("n 3 is out of range (0.01 to 1)").
[[noreturn]] void RefuseValue(std::string_view Property, double Value, std::string_view Accepted);

// The decimal separator of the machine's default locale, read once at start-up.
char DecimalSeparator();
// Blanks per indentation level of the XML writer.
inline constexpr int32_t XMLIndentStep = 2;

// Rounds to Precision significant digits and drops trailing zeros; fixed notation while the
// decimal exponent lies in -3 .. Precision, scientific ("1.5E-05", "1.234568E07") otherwise.
std::string FormatGeneral(double Value, int Precision);
inline std::string FormatSingle(float Value) { return FormatGeneral(Value, 7); }
inline std::string FormatDouble(double Value) { return FormatGeneral(Value, 15); }

// Decimal text (surrounding blanks allowed) with the locale's separator; EConvertError otherwise
// and for a value beyond the type's range. A value too small for the type reads as zero.
double ParseFloatText(std::string_view Text);
// The same, rounded once to single precision.
float ParseSingleText(std::string_view Text);
// Decimal or "$" hexadecimal text, in range of the result type; EConvertError otherwise.
int32_t ParseInt32Text(std::string_view Text);
int64_t ParseInt64Text(std::string_view Text);

// The escapes carry no semicolon: "&amp", "&lt", "&dq".
std::string EscapeText(std::string_view Text);
std::string UnescapeText(std::string_view Text);
std::string EscapeArrayString(std::string_view Text);
std::string UnescapeArrayString(std::string_view Text);

bool SameText(std::string_view A, std::string_view B);
std::string LowerCase(std::string_view Text);

}  // namespace plashbox
