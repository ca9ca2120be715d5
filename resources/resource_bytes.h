#pragma once

#include <string>

namespace plivora {

// The bytes of a picture compiled into the program, by file name ("logo.gif"); empty when there
// is no such picture.
std::string resourceBytes(const std::string& name);

}  // namespace plivora
