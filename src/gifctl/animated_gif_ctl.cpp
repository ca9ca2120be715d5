#include "gifctl/animated_gif_ctl.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "forms/form.h"
#include "forms/host.h"
#include "win/error.h"
#include "win/file_system.h"

namespace plivora {

namespace {

// The largest screen of the desktop in device pixels: the primary screen's full size and the
// work area of every other screen (the host tells no more of those).
PixelRect largestScreenPx(const Host& host) {
    int width = host.screenRect().width();
    int height = host.screenRect().height();
    for (const PixelRect& area : host.workAreas()) {
        width = std::max(width, area.width());
        height = std::max(height, area.height());
    }
    const double ratio = host.devicePixelRatio();
    return PixelRect{0, 0, static_cast<int>(std::ceil(width * ratio)),
                     static_cast<int>(std::ceil(height * ratio))};
}
// Ends a load that its host window abandoned; thrown by loadFrame through the engine's frame
// loop, which deletes the frame file on the way, and caught in LoadGif.
struct LoadEnded {};

}  // namespace

AnimatedGifCtl::AnimatedGifCtl(Form& form, std::string name, Control* container)
    : UserControl(form, std::move(name), container),
      Timer1(form, this->name() + ".Timer1"),
      m_frameJobs(form.host()) {
    GdiContext& gdi = host().gdi();
    m_surface = gdi.createSurface(1, 1, gdi.systemColors().resolve(kButtonFace));
    m_ownDc = gdi.GetDC(m_surface);
    // The control's start: the engine makes its canvas DC compatible with the control's DC;
    // rendering stopped, transparent colours made unique.
    m_engine = std::make_unique<GifAnimation>(gdi, m_ownDc, static_cast<GifAnimationHost&>(*this));
    m_engine->setChangeTransparentColor(true);
    m_engine->setStopRender(true);
    sethdc(m_ownDc);
    Timer1.Timer = [this] {
        // A clock started while a load runs draws from the load's end on.
        if (m_loading) {
            return;
        }
        m_engine->Timer1_Timer();
        publishSurface();
    };
    Paint = [this] { UserControl_Paint(); };
}

AnimatedGifCtl::~AnimatedGifCtl() {
    // The control's end: the engine releases its frames and canvas; the surface goes last.
    m_engine.reset();
    host().gdi().ReleaseDC(m_surface, m_ownDc);
    host().gdi().destroySurface(m_surface);
}

// ---- Properties ----

void AnimatedGifCtl::sethdc(HDC New_hDC) {
    m_engine->setHdc(New_hDC);
    PropertyChanged("hDC");
}

void AnimatedGifCtl::setBackColor(OleColor New_BackColor) {
    UserControl::setBackColor(New_BackColor);
    PropertyChanged("BackColor");
    // As on a window's own surface: the new colour clears what the surface shows, then the control
    // paints, so a loaded GIF draws its frame over it.
    m_engine->ClearDisplay();
    UserControl_Paint();
    publishSurface();
}

void AnimatedGifCtl::setPicture(const Picture& New_Picture) {
    m_picture = New_Picture;
    PropertyChanged("Picture");
}

void AnimatedGifCtl::setMaskColor(OleColor New_MaskColor) {
    m_maskColor = New_MaskColor;
    PropertyChanged("MaskColor");
}

void AnimatedGifCtl::setMaskPicture(const Picture& New_MaskPicture) {
    m_maskPicture = New_MaskPicture;
    PropertyChanged("MaskPicture");
}

void AnimatedGifCtl::setBorderStyle(int New_BorderStyle) {
    UserControl::setBorderStyle(New_BorderStyle);
    resizeSurface();
    PropertyChanged("BorderStyle");
}

void AnimatedGifCtl::setStrGifFileName(const std::string& New_strGifFileName) {
    m_engine->setStrGifFileName(New_strGifFileName);
    PropertyChanged("strGifFileName");
}

// ---- Methods ----

void AnimatedGifCtl::SetBackColor() {
    // No colour dialog object is ever created.
    throw Error(ErrorNumber::ObjectVariableNotSet);
}

std::string AnimatedGifCtl::fGetGifFileName(const std::string& sPathFile) {
    m_engine->setStrGifFileName(sPathFile);
    return {};
}

void AnimatedGifCtl::Refresh() {
    UserControl_Paint();
    surfaceChanged();
}

void AnimatedGifCtl::LoadGif(bool getFname, const std::string& sPathFile) {
    m_engine->StopGif();
    m_engine->ClearDisplay();
    m_engine->ClearFrames();
    publishSurface();
    if (getFname) {
        setStrGifFileName("");
        fGetGifFileName(sPathFile);
        host().doEvents();
        if (isLoadAbandoned()) {
            clearGif();
            return;
        }
    }
    // The load lets events run, so the mouse is not captured: the clicks that choose another file
    // must reach the file list. The hourglass shows over every window of the program all the same.
    setMousePointer(Host::kPointerHourglass);
    struct Loading {
        AnimatedGifCtl& control;
        explicit Loading(AnimatedGifCtl& c) : control(c) { control.m_loading = true; }
        ~Loading() {
            control.m_loading = false;
            control.setMousePointer(Host::kPointerDefault);
        }
    };
    try {
        const Loading loading(*this);
        m_engine->ReadGifFrames();
    } catch (const LoadEnded&) {
        clearGif();
        return;
    } catch (const Error&) {
        // The pointer is given back before the error goes to the caller.
        publishSurface();
        throw;
    }
    if (!strGifFileName().empty()) {
        m_engine->setUserDelay(0);
        m_engine->PaintGif(0);
    }
    publishSurface();
}

bool AnimatedGifCtl::isLoadAbandoned() const {
    return LoadAbandoned && LoadAbandoned();
}

void AnimatedGifCtl::clearGif() {
    m_engine->StopGif();
    m_engine->ClearDisplay();
    m_engine->ClearFrames();
    setStrGifFileName("");
    publishSurface();
}

void AnimatedGifCtl::UserControl_Paint() {
    // A load under way paints at its end.
    if (strGifFileName().empty() || m_loading) {
        return;
    }
    if (m_displaySavedGifFileName) {
        m_displaySavedGifFileName = false;
        try {
            LoadGif(false, "");
        } catch (const Error&) {
            // A stored file that cannot be played shows nothing; a paint has no caller to tell.
        }
        return;
    }
    m_engine->PaintGif(0);
    publishSurface();
}

// ---- Stored properties ----

void AnimatedGifCtl::InitProperties() {
    m_engine->setStrGifFileName("");
}

void AnimatedGifCtl::ReadProperties(const PropertyBag& PropBag) {
    UserControl::setBackColor(static_cast<OleColor>(
        PropBag.ReadProperty<std::int32_t>("BackColor", static_cast<std::int32_t>(kButtonFace))));
    m_picture = PropBag.ReadProperty<Picture>("Picture", Picture());
    m_maskColor = static_cast<OleColor>(
        PropBag.ReadProperty<std::int32_t>("MaskColor", static_cast<std::int32_t>(kButtonFace)));
    m_maskPicture = PropBag.ReadProperty<Picture>("MaskPicture", Picture());
    UserControl::setBorderStyle(PropBag.ReadProperty<std::int32_t>("BorderStyle", 0));
    resizeSurface();
    m_engine->setStrGifFileName(PropBag.ReadProperty<std::string>("strGifFileName", ""));
    const std::string& stored = strGifFileName();
    if (!stored.empty() && fileExists(stored)) {
        m_displaySavedGifFileName = true;
    }
}

void AnimatedGifCtl::WriteProperties(PropertyBag& PropBag) const {
    PropBag.WriteProperty("BackColor", static_cast<std::int32_t>(backColor()),
                          static_cast<std::int32_t>(kButtonFace));
    PropBag.WriteProperty("Picture", m_picture, Picture());
    PropBag.WriteProperty("MaskColor", static_cast<std::int32_t>(m_maskColor),
                          static_cast<std::int32_t>(kButtonFace));
    PropBag.WriteProperty("MaskPicture", m_maskPicture, Picture());
    PropBag.WriteProperty("BorderStyle", static_cast<std::int32_t>(borderStyle()), std::int32_t{0});
    PropBag.WriteProperty("strGifFileName", strGifFileName(), std::string());
}

// ---- Surface ----

const Image& AnimatedGifCtl::surface() const {
    return host().gdi().surfaceImage(m_surface);
}

void AnimatedGifCtl::move(float left, float top, float width, float height) {
    const bool resized = width != this->width() || height != this->height();
    UserControl::move(left, top, width, height);
    if (resized) {
        resizeSurface();
    }
}

void AnimatedGifCtl::resizeSurface() {
    const Host& h = host();
    const int border = borderStyle() == 1 ? 1 : 0;
    // The surface is never larger than a screen can show, however large the control is made.
    const PixelRect screen = largestScreenPx(h);
    const int w =
        std::clamp(static_cast<int>(std::lround(width() / h.twipsPerPixelX())) - 2 * border, 1,
                   std::max(1, screen.width()));
    const int hgt =
        std::clamp(static_cast<int>(std::lround(height() / h.twipsPerPixelY())) - 2 * border, 1,
                   std::max(1, screen.height()));
    host().gdi().resizeSurface(m_surface, w, hgt,
                               host().gdi().systemColors().resolve(UserControl::backColor()));
    surfaceChanged();
}

void AnimatedGifCtl::setMousePointer(int pointer) {
    m_mousePointer = pointer;
    host().setMousePointer(pointer);
}

void AnimatedGifCtl::publishSurface() {
    // Whether there is anything to show at all is part of the control's appearance.
    const bool drawn = !isBlank();
    if (drawn != m_publishedDrawn) {
        m_publishedDrawn = drawn;
        notify(ViewChange::Appearance);
    }
    const std::uint64_t change = host().gdi().changeCount(host().gdi().selectedBitmap(m_ownDc));
    if (change != m_publishedChange) {
        m_publishedChange = change;
        surfaceChanged();
    }
}

// ---- GifAnimationHost ----

Picture AnimatedGifCtl::loadFrame(const std::function<Picture(const std::string& path)>& loader,
                                  const std::string& path, std::shared_ptr<const void> pathOwner) {
    // An abandoned decode runs on to its end; it holds the frame file until then.
    std::optional<Picture> picture = m_frameJobs.run<Picture>(
        [loader, path, pathOwner = std::move(pathOwner)] { return loader(path); },
        [this] { return isLoadAbandoned(); });
    if (!picture) {
        throw LoadEnded{};
    }
    return std::move(*picture);
}

void AnimatedGifCtl::setTimerInterval(int intervalMs) {
    Timer1.setInterval(intervalMs);
}

void AnimatedGifCtl::showWarning(const std::string& message) {
    if (Warning) {
        Warning(message);
    }
}

COLORREF AnimatedGifCtl::backColor() const {
    return UserControl::backColor();
}

double AnimatedGifCtl::scaleWidth() const {
    const int border = borderStyle() == 1 ? 1 : 0;
    return width() - 2.0 * border * host().twipsPerPixelX();
}

int AnimatedGifCtl::screenWidthPx() const {
    return largestScreenPx(host()).width();
}

int AnimatedGifCtl::screenHeightPx() const {
    return largestScreenPx(host()).height();
}

double AnimatedGifCtl::scaleHeight() const {
    const int border = borderStyle() == 1 ? 1 : 0;
    return height() - 2.0 * border * host().twipsPerPixelY();
}

}  // namespace plivora
