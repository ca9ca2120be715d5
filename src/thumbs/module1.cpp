#include "thumbs/module1.h"

#include "app/program.h"
#include "thumbs/form2.h"

namespace plivora {

namespace {

// One step of the ring: show or hide this list, count the step, pass on to the next with False.
// The sixth step ends the walk.
template <typename Next>
void ringStep(Program& program, ListView& list, Bool16 blShow, Next next) {
    if (program.intChainSteps >= 6) {
        program.intChainSteps = 0;
        return;
    }
    list.setVisible(blShow == kTrue);
    program.intChainSteps = static_cast<std::int16_t>(program.intChainSteps + 1);
    next(program, kFalse);
}

}  // namespace

void ShowShadowPage(Program& program, std::int16_t N) {
    switch (N) {
        case 0:
            ShowShadow0(program, kTrue);
            break;
        case 1:
            ShowShadow1(program, kTrue);
            break;
        case 2:
            ShowShadow2(program, kTrue);
            break;
        case 3:
            ShowShadow3(program, kTrue);
            break;
        case 4:
            ShowShadow4(program, kTrue);
            break;
        default:
            break;
    }
}

void ShowMainList(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvMain, blShow, ShowShadow0);
}
void ShowShadow0(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvShadow(0), blShow, ShowShadow1);
}
void ShowShadow1(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvShadow(1), blShow, ShowShadow2);
}
void ShowShadow2(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvShadow(2), blShow, ShowShadow3);
}
void ShowShadow3(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvShadow(3), blShow, ShowShadow4);
}
void ShowShadow4(Program& program, Bool16 blShow) {
    ringStep(program, program.form2().lvShadow(4), blShow, ShowMainList);
}

}  // namespace plivora
