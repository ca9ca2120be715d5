#pragma once

#include <cstdint>
#include <string>

#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/image_control.h"
#include "forms/label.h"
#include "forms/user_control.h"

namespace plivora {

class Program;

// The thumbnail window. Besides its thumbnail pages it lends the main window its image
// imgShadow, into which every shown picture is loaded first, and the placeholder picture
// imgErrorPicture. Created hidden on first touch and never unloaded: closing it hides it.
class Form2 : public Form {
public:
    explicit Form2(Program& program);

    Program& program() const { return m_program; }

    // Controls, the first on top.
    Frame fraAniGif{*this, "fraAniGif"};
    UserControl AnimatedGifCtl1{*this, "AnimatedGifCtl1", &fraAniGif};
    Frame fraShadowImage{*this, "fraShadowImage"};
    ImageControl imgShadow{*this, "imgShadow", &fraShadowImage};
    CommandButton cmdPrevious{*this, "cmdPrevious"};
    CommandButton cmdNextPage{*this, "cmdNextPage"};
    CommandButton cmdShowAniGif{*this, "cmdShowAniGif"};
    CommandButton cmdAnimatedGif{*this, "cmdAnimatedGif"};
    CommandButton cmdSwap{*this, "cmdSwap"};
    Label lblPageNumber{*this, "lblPageNumber"};
    ImageControl imgErrorPicture{*this, "imgErrorPicture"};

    // Members.
    std::int16_t intMouseButton = 0;
    Bool16 blAniPlaying = kFalse;
    std::string sSelectedFile;
    Bool16 blShadowWasVisible = kFalse;
    Bool16 blDragging = kFalse;
    std::int32_t lngStartX = 0;
    std::int32_t lngStartY = 0;
    std::int32_t lngStartLeft = 0;
    std::int32_t lngStartTop = 0;
    std::int16_t intPageShown = 0;

    void LetPathFile(const std::string& sPathFile);

    void Form_Load();
    void Form_QueryUnload(int& cancel, int unloadMode);

private:
    Program& m_program;
};

}  // namespace plivora
