#include "app/form5.h"

#include "app/program.h"
#include "app/resource_picture.h"

namespace plivora {

Form5::Form5(Program& program) : Form(program.host(), "Form5") {
    setCaption("");
    setBorderStyle(BorderStyle::FixedDialog);
    setMinButton(false);
    setMaxButton(false);
    setCentred(true);
    setClientSize(4788, 3120);
    Frame1.move(120, 0, 4572, 3012);
    cmdOk.move(1920, 2520, 756, 372);
    cmdOk.setCaption("OK");
    // Enter acknowledges the box and Escape dismisses it, both as "OK" does.
    cmdOk.setDefault(true);
    cmdOk.setCancel(true);
    imgFlowerIcon.move(360, 1800, 384, 384);
    imgFlowerIcon.setPicture(resourcePicture("flower.gif"));
    Label3.move(2040, 2040, 2412, 372);
    Label3.setCaption("A small, fast picture viewer.");
    imgMyName.move(1200, 240, 2136, 852);
    imgMyName.setPicture(resourcePicture("my_name.gif"));
    Frame1.setAccessibleName("About Plivora");
    cmdOk.setAccessibleName("OK");
    imgFlowerIcon.setAccessibleName("Flower");
    Label3.setAccessibleName("About");
    imgMyName.setAccessibleName("Plivora Image Viewer");
    setTabOrder({&cmdOk});
    cmdOk.Click = [this] { cmdOk_Click(); };
}

void Form5::cmdOk_Click() {
    unload(kFormCode);
}

}  // namespace plivora
