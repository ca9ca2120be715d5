#include "app/form11.h"

#include "app/program.h"
#include "app/resource_picture.h"
#include "forms/host.h"
#include "forms/window_calls.h"

namespace plivora {

Form11::Form11(Program& program) : Form(program.host(), "Form11"), m_program(program) {
    setCaption("Warning Message");
    setIcon(resourcePicture("window_icon.gif"));
    setBorderStyle(BorderStyle::FixedDialog);
    setMinButton(false);
    setMaxButton(false);
    setCentred(true);
    setClientSize(3468, 1980);
    cmdOk.move(1320, 1440, 732, 372);
    cmdOk.setCaption("OK");
    // Enter acknowledges the box and Escape dismisses it, both as "OK" does.
    cmdOk.setDefault(true);
    cmdOk.setCancel(true);
    imgWarningMessage.move(120, 240, 384, 384);
    imgWarningMessage.setPicture(resourcePicture("warning.gif"));
    Label1.move(720, 240, 2532, 972);
    Label1.setBackColor(rgb(192, 192, 192));
    Label1.setForeColor(kWindowText);
    cmdOk.setAccessibleName("OK");
    imgWarningMessage.setAccessibleName("Warning");
    Label1.setAccessibleName("Message");
    setTabOrder({&cmdOk});
    cmdOk.Click = [this] { cmdOk_Click(); };
}

void Form11::AnswerOk(const std::string& ErrorMsgStr) {
    Form11& window = m_program.newWarningWindow();
    window.Label1.setCaption(ErrorMsgStr);
    SetWindowPos(&window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    window.show();
    host().beep();
}

void Form11::cmdOk_Click() {
    unload(kFormCode);
}

}  // namespace plivora
