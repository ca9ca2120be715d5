#include "thumbs/form2.h"

#include "app/form1.h"
#include "app/form11.h"
#include "app/program.h"
#include "app/resource_picture.h"
#include "thumbs/thumbnail_pages.h"

namespace plivora {

Form2::Form2(Program& program) : Form(program.host(), "Form2"), m_program(program) {
    setCaption("Plivora - Image Viewer");
    setIcon(resourcePicture("window_icon.gif"));
    setBorderStyle(BorderStyle::Sizable);
    setClientSize(9600, 7200);

    fraAniGif.move(2280, 120, 1452, 852);
    AnimatedGifCtl1.move(0, 120, 2412, 1812);
    AnimatedGifCtl1.setBorderStyle(1);
    fraShadowImage.move(480, 120, 1572, 852);
    imgShadow.move(120, 240, 852, 492);
    imgShadow.setStretch(false);
    imgShadow.setSizeAllCursor(true);
    cmdPrevious.move(120, 1200, 612, 252);
    cmdPrevious.setCaption("Back");
    cmdNextPage.move(720, 1200, 612, 252);
    cmdNextPage.setCaption("Next");
    cmdShowAniGif.move(96, 480, 300, 252);
    cmdShowAniGif.setGraphical(true);
    cmdAnimatedGif.move(96, 840, 300, 252);
    cmdAnimatedGif.setGraphical(true);
    cmdSwap.move(96, 120, 300, 252);
    cmdSwap.setGraphical(true);
    cmdSwap.setPicture(resourcePicture("swap.gif"));
    lblPageNumber.move(96, 1800, 372, 372);
    imgErrorPicture.setVisible(false);
    imgErrorPicture.setPicture(resourcePicture("error_picture.gif"));

    for (int k = 0; k < kPages; ++k) {
        lvShadow(k).setVisible(false);
    }
    // The table lists the controls from the top down: bring them forward from the bottom up, the
    // lists lowest.
    Control* const stacking[] = {&lvMain,         &m_lv4,         &m_lv3,         &m_lv2,
                                 &m_lv1,          &m_lv0,         &lblPageNumber, &cmdSwap,
                                 &cmdAnimatedGif, &cmdShowAniGif, &cmdNextPage,   &cmdPrevious,
                                 &fraShadowImage, &fraAniGif};
    for (Control* control : stacking) {
        control->zOrderFront();
    }

    // Names for assistive technology, and the order Tab walks: the list on show (the others are
    // hidden, and Tab passes over them), then the page buttons and the buttons of the left strip
    // from the top down.
    fraAniGif.setAccessibleName("Animation panel");
    AnimatedGifCtl1.setAccessibleName("Animation");
    fraShadowImage.setAccessibleName("Real size panel");
    imgShadow.setAccessibleName("Picture at real size");
    cmdPrevious.setAccessibleName("Back");
    cmdNextPage.setAccessibleName("Next");
    cmdShowAniGif.setAccessibleName("Show animation");
    cmdAnimatedGif.setAccessibleName("Play animation");
    cmdSwap.setAccessibleName("Real size view");
    lblPageNumber.setAccessibleName("Page");
    imgErrorPicture.setAccessibleName("No picture");
    lvMain.setAccessibleName("Thumbnails");
    std::vector<Control*> tabOrder{&lvMain};
    for (int k = 0; k < kPages; ++k) {
        lvShadow(k).setAccessibleName("Thumbnails");
        tabOrder.push_back(&lvShadow(k));
    }
    for (Control* button :
         {&cmdPrevious, &cmdNextPage, &cmdSwap, &cmdShowAniGif, &cmdAnimatedGif}) {
        tabOrder.push_back(button);
    }
    setTabOrder(std::move(tabOrder));

    AnimatedGifCtl1.Warning = [this](const std::string& message) {
        m_program.form11().AnswerOk(message);
    };
    wireHandlers();
}

void Form2::LetPathFile(const std::string& sPathFile) {
    sSelectedFile = sPathFile;
}

void Form2::Form_Load() {
    Form1& main = m_program.form1();
    // The two picture buttons wear the main window's faces, and are named after the face shown.
    cmdShowAniGif.setFaceName(main.imgShowAniGif.picture(), "Show animation");
    cmdShowAniGif.setFaceName(main.imgHideAniGif.picture(), "Hide animation");
    cmdAnimatedGif.setFaceName(main.imgPlayPoint.picture(), "Play animation");
    cmdAnimatedGif.setFaceName(main.imgStopPoint.picture(), "Stop animation");
    cmdShowAniGif.setPicture(main.imgShowAniGif.picture());
    cmdAnimatedGif.setPicture(main.imgPlayPoint.picture());
    m_program.intPageShown = 0;
    fraAniGif.setCaption("");
    fraShadowImage.setCaption("");
    blShadowWasVisible = kFalse;
    showPageLabel(kNoPage);
    blDragging = kFalse;
}

void Form2::Form_QueryUnload(int& cancel, int /*unloadMode*/) {
    cancel = 1;
    hideStoppingAnimation();
}

}  // namespace plivora
