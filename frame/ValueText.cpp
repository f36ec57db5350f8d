#include "frame/ValueText.h"

#include <cmath>
#include <cstdio>

namespace plashbox {

std::string ShownDecimal(double Value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", Value);
  std::string shown = text;
  while (shown.ends_with('0') && shown.find('.') < shown.size() - 2) shown.pop_back();
  return shown;
}

std::string IndexText(double N) {
  char text[48];
  std::snprintf(text, sizeof text, "%1.2f", std::sqrt(1 / N));
  return text;
}

}  // namespace plashbox
