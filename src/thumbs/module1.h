#pragma once

#include <cstdint>

#include "forms/types.h"

namespace plivora {

class Program;

// The visibility ring of the thumbnail window's six lists: lvMain, lvShadow(0) ... lvShadow(4)
// and back to lvMain. A step with True shows its list and passes along the ring hiding the other
// five; intChainSteps counts the steps and ends at 0 again.
void ShowShadowPage(Program& program, std::int16_t N);
void ShowMainList(Program& program, Bool16 blShow);
void ShowShadow0(Program& program, Bool16 blShow);
void ShowShadow1(Program& program, Bool16 blShow);
void ShowShadow2(Program& program, Bool16 blShow);
void ShowShadow3(Program& program, Bool16 blShow);
void ShowShadow4(Program& program, Bool16 blShow);

}  // namespace plivora
