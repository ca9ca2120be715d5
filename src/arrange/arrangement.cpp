#include "arrange/arrangement.h"

#include <array>
#include <cstdint>

#include "app/form1.h"

namespace plivora {

namespace {

using Layout = std::array<std::int32_t, 60>;

// Property values are single precision; each is kept as a 32-bit integer rounded half to even.
std::int32_t keep(float value) {
    return roundHalfEven(value);
}
float back(std::int32_t value) {
    return static_cast<float>(value);
}

// Top, Left, Width, Height of a control, in four consecutive entries.
void recordTLWH(Layout& saved, int at, const Control& c) {
    saved[at] = keep(c.top());
    saved[at + 1] = keep(c.left());
    saved[at + 2] = keep(c.width());
    saved[at + 3] = keep(c.height());
}

void restoreTLWH(const Layout& saved, int at, Control& c) {
    c.move(back(saved[at + 1]), back(saved[at]), back(saved[at + 2]), back(saved[at + 3]));
}

void recordLayout(Form1& f, Layout& saved) {
    saved[0] = keep(f.top());
    saved[1] = keep(f.left());
    saved[2] = keep(f.width());
    saved[3] = keep(f.height());
    saved[4] = keep(f.scaleWidth());
    saved[5] = keep(f.scaleHeight());
    saved[6] = keep(f.cmdShape.left());
    recordTLWH(saved, 7, f.cmdRealSize);
    recordTLWH(saved, 11, f.cmdBackgroundColor);
    recordTLWH(saved, 15, f.imgQel);
    recordTLWH(saved, 19, f.File1);
    saved[23] = keep(f.Drive1.top());
    saved[24] = keep(f.Drive1.left());
    saved[25] = keep(f.Drive1.width());
    recordTLWH(saved, 26, f.Dir1);
    recordTLWH(saved, 30, f.imgShow);
    recordTLWH(saved, 34, f.lblErrorMessage);
    recordTLWH(saved, 38, f.Frame1);
    recordTLWH(saved, 42, f.lblDimension);
    recordTLWH(saved, 46, f.lblFileSize);
    recordTLWH(saved, 50, f.lblRatio);
    saved[54] = keep(f.cmdTiny.left());
    saved[55] = keep(f.cmdShowAni.left());
    saved[56] = keep(f.cmdViewAll.left());
    saved[57] = keep(f.cmdPlayGif.left());
    saved[58] = keep(f.AnimatedGifCtl1.top());
    saved[59] = keep(f.cmdStick.left());
}

void restoreLayout(Form1& f, const Layout& saved) {
    f.setTop(back(saved[0]));
    f.setLeft(back(saved[1]));
    f.setWidth(back(saved[2]));
    f.setHeight(back(saved[3]));
    f.setScaleWidth(back(saved[4]));
    f.setScaleHeight(back(saved[5]));
    f.cmdShape.setLeft(back(saved[6]));
    restoreTLWH(saved, 7, f.cmdRealSize);
    restoreTLWH(saved, 11, f.cmdBackgroundColor);
    restoreTLWH(saved, 15, f.imgQel);
    restoreTLWH(saved, 19, f.File1);
    f.Drive1.move(back(saved[24]), back(saved[23]), back(saved[25]), f.Drive1.height());
    restoreTLWH(saved, 26, f.Dir1);
    restoreTLWH(saved, 30, f.imgShow);
    restoreTLWH(saved, 34, f.lblErrorMessage);
    restoreTLWH(saved, 38, f.Frame1);
    restoreTLWH(saved, 42, f.lblDimension);
    restoreTLWH(saved, 46, f.lblFileSize);
    restoreTLWH(saved, 50, f.lblRatio);
    f.cmdTiny.setLeft(back(saved[54]));
    f.cmdShowAni.setLeft(back(saved[55]));
    f.cmdViewAll.setLeft(back(saved[56]));
    f.cmdPlayGif.setLeft(back(saved[57]));
    f.AnimatedGifCtl1.setTop(back(saved[58]));
    f.cmdStick.setLeft(back(saved[59]));
}

void applyVertical(Form1& f) {
    f.setWidth(3396);
    f.setHeight(6312);
    f.setScaleWidth(3300);
    f.setScaleHeight(5928);
    f.cmdShape.setLeft(120);
    f.cmdTiny.setLeft(708);
    f.cmdBackgroundColor.move(1202, 0, 732, 252);
    f.cmdShowAni.setLeft(1934);
    f.cmdStick.setLeft(2235);
    f.cmdRealSize.move(120, 240, 972, 252);
    f.cmdViewAll.setLeft(1092);
    f.cmdPlayGif.setLeft(1944);
    f.imgQel.move(2400, 120, 852, 336);
    f.imgShow.move(120, 2880, 2412, 2172);
    f.lblErrorMessage.move(240, 3000, 2172, 732);
    f.AnimatedGifCtl1.setTop(3500);
    f.File1.move(1800, 600, 1452, 2232);
    f.Drive1.move(120, 600, 1572, f.Drive1.height());
    f.Dir1.move(120, 1080, 1572, 1704);
    f.Frame1.move(120, 5040, 3132, 852);
    f.lblDimension.move(120, 240, 1212, 252);
    f.lblFileSize.move(1440, 240, 1572, 252);
    f.lblRatio.move(120, 480, 972, 252);
}

}  // namespace

void ArrangementFrameChanged(Form1& form, float extraWidth, float extraHeight) {
    if (form.blVertical == kFalse) {
        return;  // the layout to return to is recorded afresh at the next switch
    }
    form.SavedLayout[2] = keep(back(form.SavedLayout[2]) + extraWidth);
    form.SavedLayout[3] = keep(back(form.SavedLayout[3]) + extraHeight);
}

void ToggleArrangement(Form1& form) {
    if (form.blVertical == kFalse) {
        recordLayout(form, form.SavedLayout);
        applyVertical(form);
        form.blVertical = kTrue;
    } else {
        restoreLayout(form, form.SavedLayout);
        form.blVertical = kFalse;
    }
}

}  // namespace plivora
