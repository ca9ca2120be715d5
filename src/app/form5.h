#pragma once

#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/image_control.h"
#include "forms/label.h"

namespace plivora {

class Program;

// The About box: the program's name picture, an icon and one line of text.
class Form5 : public Form {
public:
    explicit Form5(Program& program);

    Frame Frame1{*this, "Frame1"};
    CommandButton cmdOk{*this, "cmdOk", &Frame1};
    ImageControl imgFlowerIcon{*this, "imgFlowerIcon", &Frame1};
    Label Label3{*this, "Label3", &Frame1};
    ImageControl imgMyName{*this, "imgMyName", &Frame1};

    void cmdOk_Click();
};

}  // namespace plivora
