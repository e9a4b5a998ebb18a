// Filling HTML templates: a variable is its name between two '%' signs.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace Lumo {

// Replacement stops after this many variables, or before a line would grow
// past the size, so a value that names itself cannot run on forever.
constexpr int kMaxSubstitutions = 1000;
constexpr size_t kMaxSubstitutedLine = 1024 * 1024;

// Replaces the first "%name%" with the variable's value (nothing when the
// map lacks it) and searches again from the start, so a value holding '%'
// is read again; stops when no pair of '%' is left or at the bounds above.
std::string SubstituteVariables(const std::string& text, const std::map<std::string, std::string>& variables);

} // namespace Lumo
