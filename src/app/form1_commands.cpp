// The main window's commands around the picture on show: the real-size view, the background
// colour, the animation's play/stop and show/hide, the logo with its cursor and About box, and the
// picture's pop-up menu.
#include "app/form1.h"
#include "app/form5.h"
#include "app/program.h"
#include "forms/host.h"
#include "forms/window_calls.h"
#include "thumbs/form2.h"
#include "thumbs/form4.h"

namespace plivora {

void Form1::cmdRealSize_Click() {
    Form2& thumbs = m_program.form2();
    thumbs.setWindowState(WindowState::Maximized);
    thumbs.show();
    thumbs.setVisible(true);
    thumbs.setCaption("Real Dimension");
    float w = thumbs.width();
    float h = thumbs.height();
    thumbs.fraShadowImage.move(480, 0, w - 600, h - 360);
    thumbs.fraShadowImage.setVisible(true);
    thumbs.hideAnimationPanel();
    thumbs.setWindowState(WindowState::Maximized);
    w = thumbs.width();
    h = thumbs.height();
    thumbs.lvMain.move(480, 0, w - 600, h - 360);
    thumbs.cmdShowAniGif.setPicture(imgShowAniGif.picture());
}

void Form1::cmdBackgroundColor_Click() {
    Form2& thumbs = m_program.form2();
    OleColor color = kBlack;
    if (backColor() != kBlack) {
        lngSavedBackColor = backColor();
    } else {
        color = lngSavedBackColor;
    }
    setBackColor(color);
    thumbs.fraShadowImage.setBackColor(color);
    AnimatedGifCtl1.setBackColor(color);
    thumbs.AnimatedGifCtl1.setBackColor(color);
}

void Form1::cmdPlayGif_Click() {
    if (blGifPlaying == kTrue) {
        AnimatedGifCtl1.StopGif();
        blGifPlaying = kFalse;
        cmdPlayGif.setPicture(imgPlayPoint.picture());
    } else {
        refresh();
        AnimatedGifCtl1.StartTimer();
        if (!AnimatedGifCtl1.Timer1.isRunning()) {
            return;  // nothing to play (not a GIF, no image in it): the control warned
        }
        blGifPlaying = kTrue;
        cmdPlayGif.setPicture(imgStopPoint.picture());
    }
}

void Form1::cmdShowAni_Click() {
    if (AnimatedGifCtl1.isVisible()) {
        AnimatedGifCtl1.StopGif();
        AnimatedGifCtl1.setVisible(false);
        cmdShowAni.setPicture(imgShowAniGif.picture());
    } else {
        AnimatedGifCtl1.setVisible(true);
        cmdShowAni.setPicture(imgHideAniGif.picture());
    }
}

void Form1::imgQel_MouseMove(int, int, float x, float y) {
    if (x < 0 || y < 0 || x > imgQel.width() || y > imgQel.height()) {
        ReleaseCapture(host());
        blLogoHover = kFalse;
        host().setProgramCursor(nullptr);
    } else {
        SetCapture(&imgQel);
        if (blLogoHover == kFalse) {
            blLogoHover = kTrue;
            host().setProgramCursor(&imgCursor.picture());
        }
    }
}

void Form1::imgQel_Click() {
    Form5& about = m_program.form5();
    about.show();
    SetWindowPos(&about, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    host().setProgramCursor(nullptr);
}

void Form1::imgShow_MouseDown(int button, int, float, float) {
    if (button != MouseButton::Right) {
        return;
    }
    if (sPictureFile.empty()) {
        return;
    }
    Form4& popupHost = m_program.form4();
    popupHost.PathAndFileName(sPicturePath, sPictureFile);
    popupHost.PopupMenu(popupHost.mPopup, TPM_RIGHTALIGN);
}

}  // namespace plivora
