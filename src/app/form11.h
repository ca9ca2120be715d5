#pragma once

#include <string>

#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/image_control.h"
#include "forms/label.h"

namespace plivora {

class Program;

// The warning box. Every message the user must acknowledge opens a new one through AnswerOk;
// several can stand at once, each closed by its own OK.
class Form11 : public Form {
public:
    explicit Form11(Program& program);

    CommandButton cmdOk{*this, "cmdOk"};
    ImageControl imgWarningMessage{*this, "imgWarningMessage"};
    Label Label1{*this, "Label1"};

    // Opens a new warning window with the message, topmost and modeless, and beeps.
    void AnswerOk(const std::string& ErrorMsgStr);
    void cmdOk_Click();

private:
    Program& m_program;
};

}  // namespace plivora
