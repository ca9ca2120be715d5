#pragma once

// The colour profile of the benchmarks' camera pictures, and the way it goes into a JPEG.

#include <string>

namespace plivora::bench {

// An RGB profile as cameras embed it: Adobe RGB (1998)'s primaries, D65 white and a 2.2 gamma,
// made with Little CMS.
std::string cameraProfile();

// Writes a copy of the JPEG at `from` to `to` with `profile` in APP2 "ICC_PROFILE" segments right
// after the start-of-image marker, as a camera writes them; ends the program when it cannot.
void writeWithProfile(const std::string& from, const std::string& to, const std::string& profile);

}  // namespace plivora::bench
