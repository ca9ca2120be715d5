#pragma once

#include <string>

namespace plivora {

// The bytes of a picture compiled into the program, by file name ("logo.gif"). A name that is not
// among them is a fault of the build, reported by builtInPictureFault(); the result is then empty.
std::string resourceBytes(const std::string& name);

// Reports a built-in picture the program cannot use (`fault` says why). Every name the program asks
// for is compiled in, so this is a fault of the build, never of the user's files: a debug build
// (NDEBUG not defined, as the tests are built) names the picture on stderr and aborts, so that no
// test passes with a missing picture; a release build names it on stderr and runs on without it.
void builtInPictureFault(const std::string& name, const char* fault);

}  // namespace plivora
