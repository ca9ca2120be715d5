// The thumbnail window's handlers: paging through built pages, picking a thumbnail, the
// real-size view with its pan, and the animation panel.
#include <optional>

#include "app/form1.h"
#include "app/form11.h"
#include "app/program.h"
#include "forms/host.h"
#include "forms/window_calls.h"
#include "thumbs/form2.h"
#include "thumbs/form4.h"
#include "thumbs/module1.h"
#include "thumbs/thumbnail_item_text.h"
#include "thumbs/thumbnail_pages.h"
#include "win/error.h"

namespace plivora {

void Form2::wireHandlers() {
    Load = [this] { Form_Load(); };
    QueryUnload = [this](int& cancel, int unloadMode) { Form_QueryUnload(cancel, unloadMode); };
    Click = [this] { Form_Click(); };
    cmdNextPage.Click = [this] { cmdNextPage_Click(); };
    cmdPrevious.Click = [this] { cmdPrevious_Click(); };
    cmdSwap.Click = [this] { cmdSwap_Click(); };
    cmdShowAniGif.Click = [this] { cmdShowAniGif_Click(); };
    // Starting the animation lets events run; a click meanwhile toggles it after the start.
    cmdAnimatedGif.Click = [this] { m_animationClicks.run([this] { cmdAnimatedGif_Click(); }); };
    const auto wireList = [this](ListView& list) {
        list.MouseDown = [this, &list](int button, int, float, float) {
            listMouseDown(list, button);
        };
        list.ItemClick = [this, &list](int position) {
            // A pick that waits for a running choice keeps its own item and button.
            const std::string text = list.items().at(static_cast<std::size_t>(position)).text;
            const std::int16_t button = intMouseButton;
            m_program.displayChoices.run([this, text, button] {
                intMouseButton = button;
                PickThumbnail(text);
            });
        };
    };
    wireList(lvMain);
    for (int k = 0; k < kPages; ++k) {
        wireList(lvShadow(k));
    }
    imgShadow.MouseDown = [this](int b, int s, float x, float y) {
        imgShadow_MouseDown(b, s, x, y);
    };
    imgShadow.MouseMove = [this](int b, int s, float x, float y) {
        imgShadow_MouseMove(b, s, x, y);
    };
    imgShadow.MouseUp = [this](int b, int s, float x, float y) { imgShadow_MouseUp(b, s, x, y); };
}

void Form2::Form_Click() {
    hideStoppingAnimation();
}

void Form2::hideStoppingAnimation() {
    hide();
    // The animation stops with the window: a hidden window never keeps animating, and the button
    // shows play again, as blAniPlaying says.
    AnimatedGifCtl1.StopGif();
    blAniPlaying = kFalse;
    cmdAnimatedGif.setPicture(m_program.form1().imgPlayPoint.picture());
}

void Form2::listMouseDown(ListView& list, int button) {
    intMouseButton = static_cast<std::int16_t>(button);
    m_program.form4().ListViewIs(&list);
}

// ---- Paging ----

void Form2::showPageButtons() {
    const Program& p = m_program;
    const PageButtons apply = m_pagesOfMainFolder
                                  ? pageButtons(p.intPageShown, p.intPagesBuilt, p.intNextFileIndex)
                                  : PageButtons{};
    cmdPrevious.setVisible(apply.back);
    cmdNextPage.setVisible(apply.next);
    cmdPrevious.setEnabled(!p.fillingPage);
    cmdNextPage.setEnabled(!p.fillingPage);
}

void Form2::setPagesOfMainFolder(bool ofMainFolder) {
    m_pagesOfMainFolder = ofMainFolder;
    showPageButtons();
}

void Form2::showPageLabel(int pageNumber) {
    lblPageNumber.setCaption(pageLabel(pageNumber));
}

void Form2::cmdNextPage_Click() {
    Program& p = m_program;
    if (p.fillingPage) {
        return;  // refused while a page is being filled (the button is disabled meanwhile)
    }
    p.intPageShown = static_cast<std::int16_t>(p.intPageShown + 1);
    bool buildPage = false;
    if (p.intPageShown > p.intPagesBuilt && p.intNextFileIndex == 1) {
        p.intPageShown = static_cast<std::int16_t>(p.intPageShown - 1);
        return;
    }
    if (p.intPageShown > p.intPagesBuilt) {
        p.intPageShown = static_cast<std::int16_t>(p.intPageShown - 1);
        buildPage = true;
    }
    showPageButtons();
    if (buildPage) {
        ShowMainList(p, kTrue);
        showPageLabel(p.intPageShown + 1);
        p.form1().ViewAllImages();
    } else if (p.intPageShown >= 1 && p.intPageShown <= p.intPagesBuilt) {
        ShowShadowPage(p, static_cast<std::int16_t>(p.intPageShown - 1));
        showPageLabel(p.intPageShown);
    }
}

void Form2::cmdPrevious_Click() {
    Program& p = m_program;
    if (p.fillingPage) {
        return;  // refused while a page is being filled (the button is disabled meanwhile)
    }
    p.intPageShown = static_cast<std::int16_t>(p.intPageShown - 1);
    showPageButtons();
    if (p.intPagesBuilt >= 2) {
        ShowShadowPage(p, static_cast<std::int16_t>(p.intPageShown - 1));
        showPageLabel(p.intPageShown);
    }
}

// ---- Picking ----

void Form2::PickThumbnail(const std::string& itemText) {
    const std::optional<std::string> fileName = thumbnailFileName(itemText);
    if (!fileName) {
        m_program.form11().AnswerOk("Error found, cannot get back file name!");
        return;
    }
    const std::string& name = *fileName;
    const std::string full = m_program.sThumbPath + name;
    setCaption(full);
    if (intMouseButton == MouseButton::Right) {
        m_program.form4().PathAndFileName(m_program.sThumbPath, name);
        m_program.form4().PopupMenu(m_program.form4().mPopup, TPM_RIGHTALIGN);
        return;
    }
    if (intMouseButton == MouseButton::Left) {
        try {
            std::optional<Picture> picture = m_program.loadChosenPicture(full);
            // A choice made while the picture decoded is shown next; this pick ends here.
            if (!picture) {
                return;
            }
            imgShadow.setPicture(*picture);
        } catch (const Error& error) {
            m_program.form11().AnswerOk("Error occurred, " + errorText(error));
        }
        LetPathFile(full);
    }
}

// ---- Real size and pan ----

void Form2::cmdSwap_Click() {
    if (!fraShadowImage.isVisible()) {
        setCaption("Real Dimension");
        fraShadowImage.move(fraShadowImage.left(), lvMain.top(), fraShadowImage.width(),
                            fraShadowImage.height());
        fraShadowImage.move(lvMain.left(), fraShadowImage.top(), fraShadowImage.width(),
                            fraShadowImage.height());
        fraShadowImage.move(fraShadowImage.left(), fraShadowImage.top(), lvMain.width(),
                            fraShadowImage.height());
        fraShadowImage.move(fraShadowImage.left(), fraShadowImage.top(), fraShadowImage.width(),
                            lvMain.height());
        fraShadowImage.setVisible(true);
    } else {
        setCaption("View All");
        fraShadowImage.setVisible(false);
    }
}

void Form2::imgShadow_MouseDown(int button, int, float, float) {
    if (button != MouseButton::Left) {
        return;
    }
    if (!(imgShadow.width() > fraShadowImage.width() ||
          imgShadow.height() > fraShadowImage.height())) {
        return;
    }
    blDragging = kTrue;
    POINTAPI point;
    GetCursorPos(host(), point);
    lngStartX = point.x;
    lngStartY = point.y;
    lngStartLeft = roundHalfEven(imgShadow.left());
    lngStartTop = roundHalfEven(imgShadow.top());
}

void Form2::imgShadow_MouseMove(int, int, float, float) {
    if (blDragging == kFalse) {
        return;
    }
    POINTAPI point;
    GetCursorPos(host(), point);
    imgShadow.setLeft(static_cast<float>(lngStartLeft) +
                      static_cast<float>(point.x - lngStartX) * host().twipsPerPixelX());
    imgShadow.setTop(static_cast<float>(lngStartTop) +
                     static_cast<float>(point.y - lngStartY) * host().twipsPerPixelY());
}

void Form2::imgShadow_MouseUp(int, int, float, float) {
    if (blDragging == kFalse) {
        return;
    }
    blDragging = kFalse;
    imgShadow.setLeft(static_cast<float>(lngStartLeft));
    imgShadow.setTop(static_cast<float>(lngStartTop));
}

// ---- Animation panel ----

void Form2::cmdShowAniGif_Click() {
    Form1& main = m_program.form1();
    if (!fraAniGif.isVisible()) {
        blShadowWasVisible = fraShadowImage.isVisible() ? kTrue : kFalse;
        fraShadowImage.setVisible(false);
        setCaption("Animated Gif");
        cmdSwap.setVisible(false);
        fraAniGif.move(fraAniGif.left(), lvMain.top(), fraAniGif.width(), fraAniGif.height());
        fraAniGif.move(lvMain.left(), fraAniGif.top(), fraAniGif.width(), fraAniGif.height());
        fraAniGif.move(fraAniGif.left(), fraAniGif.top(), lvMain.width(), fraAniGif.height());
        fraAniGif.move(fraAniGif.left(), fraAniGif.top(), fraAniGif.width(), lvMain.height());
        AnimatedGifCtl1.move(0, 0, fraAniGif.width(), fraAniGif.height());
        fraAniGif.setVisible(true);
        cmdShowAniGif.setPicture(main.imgHideAniGif.picture());
    } else {
        if (blShadowWasVisible == kTrue) {
            fraShadowImage.setVisible(true);
            setCaption("Real Dimension");
        } else {
            fraShadowImage.setVisible(false);
            setCaption("View All");
        }
        hideAnimationPanel();
        blAniPlaying = kTrue;
        cmdAnimatedGif_Click();
        cmdShowAniGif.setPicture(main.imgShowAniGif.picture());
    }
}

void Form2::hideAnimationPanel() {
    cmdSwap.setVisible(true);
    fraAniGif.setVisible(false);
}

void Form2::cmdAnimatedGif_Click() {
    Form1& main = m_program.form1();
    if (blAniPlaying == kTrue) {
        AnimatedGifCtl1.StopGif();
        blAniPlaying = kFalse;
        cmdAnimatedGif.setPicture(main.imgPlayPoint.picture());
    } else {
        // A load error ends the click here and goes to the caller; the control has stopped, and
        // the button keeps its play face.
        AnimatedGifCtl1.LoadGif(true, sSelectedFile);
        refresh();
        AnimatedGifCtl1.StartTimer();
        if (!AnimatedGifCtl1.Timer1.isRunning()) {
            return;  // nothing to play (no file, not a GIF, no image in it): the control warned
        }
        blAniPlaying = kTrue;
        cmdAnimatedGif.setPicture(main.imgStopPoint.picture());
    }
}

}  // namespace plivora
