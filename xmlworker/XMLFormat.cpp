#include "xmlworker/XMLFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <system_error>
#include <type_traits>

namespace plashbox {

namespace {

// The scientific text of a magnitude with Precision digits after the point, and a plain
// number's value rounded once to F with std::from_chars' errors. The browser build's C++
// library has neither floating-point form of <charconv>; its C library rounds the same way
// (printf from the exact binary value, strtof straight to a single) and knows only the classic
// locale, so the text is the same.
std::string ScientificText(double Magnitude, int Precision) {
#if defined(__EMSCRIPTEN__)
  std::array<char, 64> buf{};
  const int n = std::snprintf(buf.data(), buf.size(), "%.*e", Precision, Magnitude);
  return std::string(buf.data(), static_cast<size_t>(std::max(n, 0)));
#else
  std::array<char, 64> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), Magnitude, std::chars_format::scientific,
                                 Precision);
  return std::string(buf.data(), static_cast<size_t>(res.ptr - buf.data()));
#endif
}

template <class F>
std::from_chars_result FloatingFromChars(const char* First, const char* Last, F& Value) {
#if defined(__EMSCRIPTEN__)
  // Plain numbers only reach here (digits, '.', 'e' and the exponent's sign), so strtod takes
  // no more than from_chars would.
  const std::string text(First, Last);
  char* end = nullptr;
  errno = 0;
  const F v = std::is_same_v<F, float> ? F(std::strtof(text.c_str(), &end)) : F(std::strtod(text.c_str(), &end));
  const char* stop = First + (end - text.c_str());
  if (stop == First) return {First, std::errc::invalid_argument};
  if (errno == ERANGE && (std::isinf(v) || v == 0)) return {stop, std::errc::result_out_of_range};
  Value = v;
  return {stop, std::errc()};
#else
  return std::from_chars(First, Last, Value);
#endif
}

char ReadLocaleDecimalSeparator() {
  try {
    return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
  } catch (const std::runtime_error&) {
    return '.';  // an unknown locale name in the environment: the classic one
  }
}


std::string ReplaceAll(std::string_view Text, std::string_view From, std::string_view To) {
  std::string out;
  out.reserve(Text.size());
  size_t pos = 0;
  while (true) {
    const size_t hit = Text.find(From, pos);
    if (hit == std::string_view::npos) break;
    out.append(Text.substr(pos, hit - pos));
    out.append(To);
    pos = hit + From.size();
  }
  out.append(Text.substr(pos));
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void BadInteger(std::string_view Text) {
  throw EConvertError("'" + std::string(Text) + "' is not a valid integer value");
}

template <class T>
T ParseInteger(std::string_view Original) {
  std::string_view s = Trim(Original);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) BadInteger(Original);
  // Accumulate as the unsigned magnitude so that the most negative value parses too.
  using U = std::make_unsigned_t<T>;
  U magnitude = 0;
  const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (err != std::errc() || end != s.data() + s.size()) BadInteger(Original);
  const U limit = negative ? U(std::numeric_limits<T>::max()) + 1 : U(std::numeric_limits<T>::max());
  if (magnitude > limit) BadInteger(Original);
  return negative ? T(U(0) - magnitude) : T(magnitude);
}

}  // namespace

char DecimalSeparator() {
  static const char separator = ReadLocaleDecimalSeparator();
  return separator;
}

namespace {
// Read when the framework starts rather than when first asked, so that a locale set later
// (a toolkit may set one) cannot make two texts of one run disagree.
[[maybe_unused]] const char StartupDecimalSeparator = DecimalSeparator();
}  // namespace

std::string FormatGeneral(double Value, int Precision) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
  if (Value == 0) return "0";

  // Scientific text with Precision digits gives the rounded digits and the exponent;
  // to_chars rounds the exact binary value and ignores the C locale.
  const std::string sciText = ScientificText(std::fabs(Value), Precision - 1);
  const std::string_view sci(sciText);
  const size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;  // value = 0.d1d2... x 10^exponent
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
  exponent += 1;

  const char sep = DecimalSeparator();
  std::string out = Value < 0 ? "-" : "";
  if (exponent >= -3 && exponent <= Precision) {
    if (exponent <= 0) {
      out += '0';
      out += sep;
      out.append(static_cast<size_t>(-exponent), '0');
      out += digits;
    } else {
      const auto whole = static_cast<size_t>(exponent);
      if (digits.size() <= whole) {
        out += digits;
        out.append(whole - digits.size(), '0');
      } else {
        out += digits.substr(0, whole);
        out += sep;
        out += digits.substr(whole);
      }
    }
  } else {
    out += digits[0];
    if (digits.size() > 1) {
      out += sep;
      out += digits.substr(1);
    }
    const int shown = exponent - 1;
    out += 'E';
    if (shown < 0) out += '-';
    const std::string magnitude = std::to_string(shown < 0 ? -shown : shown);
    if (magnitude.size() < 2) out += '0';
    out += magnitude;
  }
  return out;
}

namespace {

[[noreturn]] void BadFloat(std::string_view Text) {
  throw EConvertError("'" + std::string(Text) + "' is not a valid floating point value");
}

// The number rebuilt for from_chars: digits, '.' for the locale's separator, 'e' and the
// exponent's sign; the sign of the number itself is returned apart. EConvertError when the
// text is no decimal number.
std::string PlainNumber(std::string_view Original, bool& Negative) {
  const std::string_view s = Trim(Original);
  const char sep = DecimalSeparator();
  std::string plain;
  size_t i = 0;
  Negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) Negative = s[i++] == '-';
  bool digits = false, fraction = false, exponent = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      plain += c;
    } else if (c == sep && !fraction && !exponent) {
      fraction = true;
      plain += '.';
    } else if ((c == 'e' || c == 'E') && digits && !exponent) {
      exponent = true;
      plain += 'e';
      if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) plain += s[++i];
      if (i + 1 >= s.size()) digits = false;  // an exponent needs its digits
    } else {
      digits = false;
      break;
    }
  }
  if (!digits) BadFloat(Original);
  if (plain.front() == '.') plain.insert(plain.begin(), '0');
  if (const size_t dot = plain.find('.'); dot != std::string::npos &&
                                          (dot + 1 == plain.size() || plain[dot + 1] == 'e'))
    plain.insert(dot + 1, 1, '0');
  return plain;
}

// Whether a plain number lies below 1 in magnitude: from_chars reports both ends of the
// range alike, and a value too small for the type is rounded to zero rather than refused.
bool BelowOne(std::string_view Plain) {
  const size_t e = Plain.find('e');
  const std::string_view mantissa = Plain.substr(0, e);
  int64_t exponent = 0;
  if (e != std::string_view::npos) {
    size_t i = e + 1;
    const bool negative = Plain[i] == '-';
    if (Plain[i] == '-' || Plain[i] == '+') ++i;
    for (; i < Plain.size(); ++i) exponent = std::min<int64_t>(exponent * 10 + (Plain[i] - '0'), int64_t{1} << 40);
    if (negative) exponent = -exponent;
  }
  const size_t dot = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : mantissa.substr(dot + 1);
  // The value is 0.d1d2... x 10^E; it is below 1 exactly when E <= 0.
  if (const size_t lead = whole.find_first_not_of('0'); lead != std::string_view::npos)
    return exponent + int64_t(whole.size() - lead) <= 0;
  const size_t zeros = fraction.find_first_not_of('0');
  if (zeros == std::string_view::npos) return true;  // all zeros
  return exponent - int64_t(zeros) <= 0;
}

// The text's value rounded once to F: a single is not read as a double first, which could
// round a second time. Too small a value gives a zero of its sign; too large a one is refused.
template <class F>
F ParseFloating(std::string_view Original) {
  bool negative = false;
  const std::string plain = PlainNumber(Original, negative);
  F value = 0;
  const auto [end, err] = FloatingFromChars(plain.data(), plain.data() + plain.size(), value);
  if (err == std::errc::result_out_of_range && BelowOne(plain))
    value = 0;
  else if (err != std::errc() || end != plain.data() + plain.size())
    BadFloat(Original);
  return negative ? -value : value;
}

}  // namespace

double ParseFloatText(std::string_view Text) { return ParseFloating<double>(Text); }
float ParseSingleText(std::string_view Text) { return ParseFloating<float>(Text); }

int32_t ParseInt32Text(std::string_view Text) { return ParseInteger<int32_t>(Text); }
int64_t ParseInt64Text(std::string_view Text) { return ParseInteger<int64_t>(Text); }

std::string EscapeText(std::string_view Text) {
  return ReplaceAll(ReplaceAll(Text, "&", "&amp"), "<", "&lt");
}
namespace {
// One pass from left to right: replacing every "&amp" first would turn the escaped form of a
// text "&lt" (or "&dq") into "<" (or a quote), and a saved text would not read back as it was.
std::string UnescapeOnePass(std::string_view Text, bool Quotes) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    const std::string_view rest = Text.substr(i);
    if (rest.starts_with("&amp")) {
      out += '&';
      i += 4;
    } else if (rest.starts_with("&lt")) {
      out += '<';
      i += 3;
    } else if (Quotes && rest.starts_with("&dq")) {
      out += '"';
      i += 3;
    } else {
      out += Text[i++];
    }
  }
  return out;
}
}  // namespace

std::string UnescapeText(std::string_view Text) { return UnescapeOnePass(Text, false); }
std::string EscapeArrayString(std::string_view Text) {
  return ReplaceAll(EscapeText(Text), "\"", "&dq");
}
std::string UnescapeArrayString(std::string_view Text) { return UnescapeOnePass(Text, true); }

std::string LowerCase(std::string_view Text) {
  std::string out(Text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool SameText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && LowerCase(A) == LowerCase(B);
}

void RefuseValue(std::string_view Property, double Value, std::string_view Accepted) {
  throw EConvertError(std::string(Property) + " " + FormatGeneral(Value, 7) + " is out of range (" +
                      std::string(Accepted) + ")");
}

}  // namespace plashbox
