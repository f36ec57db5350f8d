// text/: the lowest layer; every user-visible English text of the core, looked up by key.
// The English catalogue, the one that ships and the one every other language falls back to.
#pragma once

#include <span>

#include "text/TextCatalogue.h"

namespace plashbox {

std::span<const TCatalogueEntry> EnglishText();

}  // namespace plashbox
