#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/latest_choice.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/image_control.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "gifctl/animated_gif_ctl.h"

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
    AnimatedGifCtl AnimatedGifCtl1{*this, "AnimatedGifCtl1", &fraAniGif};
    Frame fraShadowImage{*this, "fraShadowImage"};
    ImageControl imgShadow{*this, "imgShadow", &fraShadowImage};
    CommandButton cmdPrevious{*this, "cmdPrevious"};
    CommandButton cmdNextPage{*this, "cmdNextPage"};
    CommandButton cmdShowAniGif{*this, "cmdShowAniGif"};
    CommandButton cmdAnimatedGif{*this, "cmdAnimatedGif"};
    CommandButton cmdSwap{*this, "cmdSwap"};
    ImageList ilNormal{*this, "ilNormal"};
    Label lblPageNumber{*this, "lblPageNumber"};
    ImageControl imgErrorPicture{*this, "imgErrorPicture"};

    // The page lists and their image lists, indexes 0 to 4, and the main list.
    static constexpr int kPages = 5;
    ListView& lvShadow(int index) { return *m_lvShadow.at(static_cast<std::size_t>(index)); }
    ImageList& ilShadowNor(int index) { return *m_ilShadowNor.at(static_cast<std::size_t>(index)); }
    ListView lvMain{*this, "lvMain"};

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

    void LetPathFile(const std::string& sPathFile);

    void Form_Load();
    void Form_QueryUnload(int& cancel, int unloadMode);
    void Form_Click();
    void cmdNextPage_Click();
    void cmdPrevious_Click();
    void cmdSwap_Click();
    void cmdShowAniGif_Click();
    void cmdAnimatedGif_Click();
    void imgShadow_MouseDown(int button, int shift, float x, float y);
    void imgShadow_MouseMove(int button, int shift, float x, float y);
    void imgShadow_MouseUp(int button, int shift, float x, float y);
    // Acts on a clicked thumbnail, given its item text, with the button of that click.
    void PickThumbnail(const std::string& itemText);

    // Hides the animation panel and shows the swap button that the open panel hides: every way
    // that shows the lists or the real-size panel without the animation panel does it here, so
    // that the button is there whichever way the panel was left (the window hidden with it open).
    void hideAnimationPanel();

    // Sets Back and Next, the one place that does: shown as pageButtons() says for the page
    // counters while the pages shown are of the main window's folder, hidden while they are
    // another folder's, and disabled while a page is being filled.
    void showPageButtons();
    // A page fill of the main window's folder starts (true), or the main window leaves the
    // folder whose pages are shown (false): nothing is left to page to until the next fill.
    // Shows the buttons as they then are.
    void setPagesOfMainFolder(bool ofMainFolder);
    // Writes the page label for a page number (pageLabel; kNoPage clears it), the one place that
    // does. Paging labels the page it shows or builds; a fresh set of pages and the window's load
    // clear the label.
    void showPageLabel(int pageNumber);

private:
    void wireHandlers();
    // Hides the window as a close or a background click does; a hidden window never animates.
    void hideStoppingAnimation();
    void listMouseDown(ListView& list, int button);

    Program& m_program;
    LatestChoice m_animationClicks;
    bool m_pagesOfMainFolder = true;
    ImageList m_il0{*this, "ilShadowNor(0)"}, m_il1{*this, "ilShadowNor(1)"},
        m_il2{*this, "ilShadowNor(2)"}, m_il3{*this, "ilShadowNor(3)"},
        m_il4{*this, "ilShadowNor(4)"};
    ListView m_lv0{*this, "lvShadow(0)"}, m_lv1{*this, "lvShadow(1)"}, m_lv2{*this, "lvShadow(2)"},
        m_lv3{*this, "lvShadow(3)"}, m_lv4{*this, "lvShadow(4)"};
    std::array<ImageList*, kPages> m_ilShadowNor{&m_il0, &m_il1, &m_il2, &m_il3, &m_il4};
    std::array<ListView*, kPages> m_lvShadow{&m_lv0, &m_lv1, &m_lv2, &m_lv3, &m_lv4};
};

}  // namespace plivora
