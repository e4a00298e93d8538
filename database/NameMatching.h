// How names are compared: tables and columns match when they are equal but
// for the case of the ASCII letters A to Z, whatever else they hold.
//
// The schema operations test existence this way, the catalogue reader and
// the catalogue picture group names this way, and the simulator finds its
// objects this way, so that all of them agree on what counts as one name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// The name with A-Z made a-z and every other character unchanged.
std::string FoldAsciiCase(std::string_view name);

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when some entry equals `name`, folding only the ASCII letters A-Z.
bool ContainsNameIgnoreCase(std::string_view name, const std::vector<std::string>& names);

// The name a column is looked for under: its first "[" and its first "]"
// removed, nothing else changed.
std::string ColumnTestName(std::string_view column);

}  // namespace orvel
