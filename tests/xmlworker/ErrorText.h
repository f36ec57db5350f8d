// The message of the framework error a call raises, for comparing with the exact texts.
#pragma once

#include <functional>
#include <string>

#include "xmlworker/XMLNode.h"

namespace plashbox::tests {

// The message of the TError that Call raises, or "<no exception>" when it raises none.
template <class TError = TXMLNodeError>
std::string MessageOf(const std::function<void()>& Call) {
  try {
    Call();
  } catch (const TError& e) {
    return e.what();
  }
  return "<no exception>";
}

}  // namespace plashbox::tests
