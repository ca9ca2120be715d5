#pragma once

#include <string>

#include "picture/picture.h"

namespace plivora {

// A picture compiled into the program, by file name ("logo.gif"). A picture that is missing or
// cannot be decoded is a fault of the build (see builtInPictureFault): a release build gives an
// empty picture and runs on without that decoration.
Picture resourcePicture(const std::string& name);

}  // namespace plivora
