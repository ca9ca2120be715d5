#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/background_jobs.h"
#include "forms/property_bag.h"
#include "forms/timer_control.h"
#include "forms/user_control.h"
#include "gifctl/gif_animation.h"
#include "picture/picture.h"
#include "win/gdi.h"

namespace plivora {

// The animated GIF control: a child control that plays a GIF file on its own drawing surface.
// It owns the frame timer and the surface; the splitting, composing and timing are the engine's
// (GifAnimation). The control adds its public properties, the load sequence with the pointer
// and capture around the parse, the stored properties, and its paint and resize handling.
class AnimatedGifCtl : public UserControl, private GifAnimationHost {
public:
    static constexpr const char* kDescription = "Animated Gif Ctl Ver 2.0";

    AnimatedGifCtl(Form& form, std::string name, Control* container = nullptr);
    ~AnimatedGifCtl() override;

    TimerControl Timer1;
    // Where the control's warnings go (the program's warning box); the host window sets it.
    std::function<void(const std::string& message)> Warning;
    // Asked whenever a load has let events run: true when the host window no longer wants the
    // file (the user chose another meanwhile). The load then stops at its next frame and the
    // control holds no GIF. Unset: every load runs to its end.
    std::function<bool()> LoadAbandoned;

    // --- Properties ---
    std::int32_t UserDelay() const { return m_engine->UserDelay(); }
    void setUserDelay(std::int32_t lngDelay) { m_engine->setUserDelay(lngDelay); }
    bool StopRender() const { return m_engine->StopRender(); }
    void setStopRender(bool blS) { m_engine->setStopRender(blS); }
    bool ChangeTransparentColor() const { return m_engine->ChangeTransparentColor(); }
    void setChangeTransparentColor(bool blC) { m_engine->setChangeTransparentColor(blC); }
    std::int32_t NumberofFrames() const { return m_engine->NumberofFrames(); }
    void setNumberofFrames(std::int32_t nframes) { m_engine->setNumberofFrames(nframes); }
    std::int32_t CurrentFrame() const { return m_engine->CurrentFrame(); }
    void setCurrentFrame(std::int32_t curframe) { m_engine->setCurrentFrame(curframe); }
    bool DisplaySavedGifFileName() const { return m_displaySavedGifFileName; }
    void setDisplaySavedGifFileName(bool blSF) { m_displaySavedGifFileName = blSF; }
    HDC hdc() const { return m_engine->hdc(); }
    void sethdc(HDC New_hDC);
    // The surface's background colour (the same value Control::backColor holds).
    COLORREF backColor() const override;
    void setBackColor(OleColor New_BackColor) override;
    const Picture& picture() const { return m_picture; }
    void setPicture(const Picture& New_Picture);
    OleColor MaskColor() const { return m_maskColor; }
    void setMaskColor(OleColor New_MaskColor);
    const Picture& MaskPicture() const { return m_maskPicture; }
    void setMaskPicture(const Picture& New_MaskPicture);
    void setBorderStyle(int New_BorderStyle);
    const std::string& strGifFileName() const { return m_engine->strGifFileName(); }
    void setStrGifFileName(const std::string& New_strGifFileName);

    // --- Methods ---
    // Asks a colour dialog for a new background colour. The program provides no dialog, so it
    // fails with error 91.
    void SetBackColor();
    void RenderGif(std::int32_t ctr) { m_engine->RenderGif(ctr); }
    std::string fGetGifFileName(const std::string& sPathFile);
    void Refresh();
    void StopGif() { m_engine->StopGif(); }
    // Shows frame 0 of a GIF file, stopped. The frames are decoded on other threads while the
    // window runs events (in turn where the host allows no background work), under the hourglass;
    // a load that LoadAbandoned ends leaves the control holding no GIF. Errors of the parse go
    // back to the caller, after the pointer is given back.
    void LoadGif(bool getFname, const std::string& sPathFile);
    // Stops and forgets the GIF on show: the surface shows only the background.
    void clearGif();
    void PaintGif(std::int32_t curframe) { m_engine->PaintGif(curframe); }
    void StartTimer() { m_engine->StartTimer(); }
    void StopTimer() { m_engine->StopTimer(); }

    // --- Stored properties ---
    void InitProperties();
    void ReadProperties(const PropertyBag& PropBag);
    void WriteProperties(PropertyBag& PropBag) const;
    // The properties marked changed since the control was made, in order.
    const std::vector<std::string>& changedProperties() const { return m_changed; }

    // The paint handling: draws frame 0 again, or loads a stored file at the first paint.
    void UserControl_Paint();

    // The pointer shape over the control: 0 default, 11 hourglass. The host shows it.
    int MousePointer() const { return m_mousePointer; }

    // Whether the control holds a GIF: frame 0 of one is loaded, from the end of a load of a GIF
    // until the next load or clearGif. Only then does the control draw its border, background
    // and frames; without one it is blank, so the picture under it shows whole.
    bool holdsGif() const { return m_engine->hasFrames(); }
    // A load under way draws nothing until it ends, whatever frames it has so far.
    bool isBlank() const override { return m_loading || !holdsGif(); }

    const Image& surface() const override;
    void move(float left, float top, float width, float height) override;
    GifAnimation& engine() { return *m_engine; }
    const GifAnimation& engine() const { return *m_engine; }

private:
    // GifAnimationHost
    void setTimerInterval(int intervalMs) override;
    void showWarning(const std::string& message) override;
    double scaleWidth() const override;
    double scaleHeight() const override;
    int screenWidthPx() const override;
    int screenHeightPx() const override;
    Picture loadFrame(const std::function<Picture(const std::string& path)>& loader,
                      const std::string& path, std::shared_ptr<const void> pathOwner) override;

    void PropertyChanged(const std::string& name) { m_changed.push_back(name); }
    void resizeSurface();
    void publishSurface();
    void setMousePointer(int pointer);
    // What LoadAbandoned answers; false while no host window has set it.
    bool isLoadAbandoned() const;

    SurfaceId m_surface;
    HDC m_ownDc;
    std::unique_ptr<GifAnimation> m_engine;
    std::uint64_t m_publishedChange = 0;
    bool m_publishedDrawn = false;  // !isBlank() as last published
    bool m_displaySavedGifFileName = false;
    Picture m_picture;
    OleColor m_maskColor = kButtonFace;
    Picture m_maskPicture;
    int m_mousePointer = 0;
    std::vector<std::string> m_changed;
    bool m_loading = false;  // a LoadGif is under way
    BackgroundJobs m_frameJobs;
};

}  // namespace plivora
