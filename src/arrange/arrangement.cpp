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

// What a row of the layout table keeps of its control, in this order, in consecutive entries.
enum class Kept {
    WindowAndScale,  // Top, Left, Width, Height, ScaleWidth, ScaleHeight; each written back alone
    Place,           // Top, Left, Width, Height; written back in one move
    PlaceButHeight,  // Top, Left, Width; the control keeps its own height
    Left,
    Top,
};

struct LayoutRow {
    Control* control;
    Kept kept;
};

// The recorded layout, one row per control, the window first. Each row's entries follow the
// previous row's; recording and restoring both walk this table, so the two directions cannot
// disagree on an index. The window's first four entries are also named (kSavedTop and on, in
// arrangement.h), for the start-up placement and the frame correction.
std::array<LayoutRow, 20> layoutTable(Form1& f) {
    return {{
        {&f, Kept::WindowAndScale},            // 0 to 5
        {&f.cmdShape, Kept::Left},             // 6
        {&f.cmdRealSize, Kept::Place},         // 7 to 10
        {&f.cmdBackgroundColor, Kept::Place},  // 11 to 14
        {&f.imgQel, Kept::Place},              // 15 to 18
        {&f.File1, Kept::Place},               // 19 to 22
        {&f.Drive1, Kept::PlaceButHeight},     // 23 to 25
        {&f.Dir1, Kept::Place},                // 26 to 29
        {&f.imgShow, Kept::Place},             // 30 to 33
        {&f.lblErrorMessage, Kept::Place},     // 34 to 37
        {&f.Frame1, Kept::Place},              // 38 to 41
        {&f.lblDimension, Kept::Place},        // 42 to 45
        {&f.lblFileSize, Kept::Place},         // 46 to 49
        {&f.lblRatio, Kept::Place},            // 50 to 53
        {&f.cmdTiny, Kept::Left},              // 54
        {&f.cmdShowAni, Kept::Left},           // 55
        {&f.cmdViewAll, Kept::Left},           // 56
        {&f.cmdPlayGif, Kept::Left},           // 57
        {&f.AnimatedGifCtl1, Kept::Top},       // 58
        {&f.cmdStick, Kept::Left},             // 59
    }};
}

void recordLayout(Form1& f, Layout& saved) {
    std::size_t at = 0;
    const auto record = [&saved, &at](float value) { saved.at(at++) = keep(value); };
    for (const LayoutRow& row : layoutTable(f)) {
        const Control& c = *row.control;
        switch (row.kept) {
            case Kept::WindowAndScale:
                // kSavedTop, kSavedLeft, kSavedWidth and kSavedHeight, then the scale.
                record(f.top());
                record(f.left());
                record(f.width());
                record(f.height());
                record(f.scaleWidth());
                record(f.scaleHeight());
                break;
            case Kept::Place:
                record(c.top());
                record(c.left());
                record(c.width());
                record(c.height());
                break;
            case Kept::PlaceButHeight:
                record(c.top());
                record(c.left());
                record(c.width());
                break;
            case Kept::Left:
                record(c.left());
                break;
            case Kept::Top:
                record(c.top());
                break;
        }
    }
}

void restoreLayout(Form1& f, const Layout& saved) {
    std::size_t at = 0;
    const auto next = [&saved, &at] { return back(saved.at(at++)); };
    for (const LayoutRow& row : layoutTable(f)) {
        Control& c = *row.control;
        switch (row.kept) {
            case Kept::WindowAndScale:
                f.setTop(next());
                f.setLeft(next());
                f.setWidth(next());
                f.setHeight(next());
                f.setScaleWidth(next());
                f.setScaleHeight(next());
                break;
            case Kept::Place: {
                const float top = next();
                const float left = next();
                const float width = next();
                const float height = next();
                c.move(left, top, width, height);
                break;
            }
            case Kept::PlaceButHeight: {
                const float top = next();
                const float left = next();
                const float width = next();
                c.move(left, top, width, c.height());
                break;
            }
            case Kept::Left:
                c.setLeft(next());
                break;
            case Kept::Top:
                c.setTop(next());
                break;
        }
    }
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

void arrangementFrameChanged(Form1& form, float extraWidth, float extraHeight) {
    if (form.blVertical == kFalse) {
        return;  // the layout to return to is recorded afresh at the next switch
    }
    std::int32_t& width = form.SavedLayout[kSavedWidth];
    std::int32_t& height = form.SavedLayout[kSavedHeight];
    width = keep(back(width) + extraWidth);
    height = keep(back(height) + extraHeight);
}

void toggleArrangement(Form1& form) {
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
