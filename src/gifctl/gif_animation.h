#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gifctl/gif_frame.h"
#include "gifctl/gif_stream.h"
#include "picture/picture.h"
#include "win/gdi.h"

namespace plivora {

// What the animation needs from the control that shows it.
class GifAnimationHost {
public:
    virtual ~GifAnimationHost() = default;

    // Sets the frame timer's interval in milliseconds (Timer1.Interval); 0 stops the timer.
    virtual void setTimerInterval(int intervalMs) = 0;
    // Shows the warning box with a message (AnswerOk).
    virtual void showWarning(const std::string& message) = 0;
    // The drawing surface's background colour; a set high bit names a system colour.
    virtual COLORREF backColor() const = 0;
    // The control's inner size (its ScaleWidth and ScaleHeight), which ClearDisplay fills.
    virtual double scaleWidth() const = 0;
    virtual double scaleHeight() const = 0;
    // The largest picture a screen of the desktop shows, in device pixels. The canvas and the
    // kept frames are no larger: what lies beyond could never be seen. 0 when no screen is known.
    virtual int screenWidthPx() const = 0;
    virtual int screenHeightPx() const = 0;
    // Loads one frame file with the loader. The control lets its window run events meanwhile and
    // may end the load here by throwing (a newer choice abandoned it). `pathOwner` keeps the
    // frame file readable at `path` for as long as a loader that was left running may read it.
    virtual Picture loadFrame(const std::function<Picture(const std::string& path)>& loader,
                              const std::string& path, std::shared_ptr<const void> pathOwner) {
        static_cast<void>(pathOwner);
        return loader(path);
    }
};

// A frame's rectangle on the canvas, in pixels.
struct GifFrameRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The engine of the animated GIF control: it splits a GIF file into single-image files that the
// picture loader decodes, keeps the decoded frames at one byte a pixel (GifFrame), composes them
// on an off-screen canvas with their disposal and transparency, copies the canvas to the
// control's surface, and runs the frame clock. It draws only through the raster layer and reaches
// the control through GifAnimationHost; properties, stored values, the mouse and the load sequence
// around it belong to the control.
class GifAnimation {
public:
    using PictureLoader = std::function<Picture(const std::string& path)>;

    static constexpr const char* kNoFileMessage = "No animated gif file is selected.";

    // The control's start: the canvas DC is made compatible with the control's own DC, which is
    // also the first drawing surface; rendering is stopped and transparent colours are made
    // unique.
    GifAnimation(GdiContext& gdi, HDC ownDc, GifAnimationHost& host);
    // The control's end: canvas bitmap and canvas DC are released.
    ~GifAnimation();
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    // The loader frame files go through (LoadPicture unless a test or tool sets another).
    void setPictureLoader(PictureLoader loader);

    // --- Properties ---
    // Milliseconds added to every interval; every write is clamped to 1-1000. 0 until set.
    int UserDelay() const { return m_userDelay; }
    void setUserDelay(int lngDelay);
    bool StopRender() const { return m_stopRender; }
    void setStopRender(bool blS) { m_stopRender = blS; }
    bool ChangeTransparentColor() const { return m_changeTransparentColor; }
    void setChangeTransparentColor(bool blC) { m_changeTransparentColor = blC; }
    // The index of the last frame: the number of frames minus one.
    int NumberofFrames() const { return m_numberofFrames; }
    void setNumberofFrames(int nframes) { m_numberofFrames = nframes; }
    // The next frame the clock draws.
    int CurrentFrame() const { return m_currentFrame; }
    void setCurrentFrame(int curframe) { m_currentFrame = curframe; }
    // The drawing surface the canvas is copied to.
    HDC hdc() const { return m_hdc; }
    void setHdc(HDC newHdc) { m_hdc = newHdc; }
    // The file being shown; "" when none.
    const std::string& strGifFileName() const { return m_strGifFileName; }
    void setStrGifFileName(const std::string& name) { m_strGifFileName = name; }

    // --- Splitting (the load) ---
    // Reads the file named by strGifFileName, walks it, writes, loads and closes one frame file
    // (FrameFile, never named in the folder) per image in the temporary folder, keeps the visible
    // part of each decoded frame, and makes the canvas. A file that is not a GIF empties
    // strGifFileName. Throws Error 53/75 (file), 9 (truncated: no frame file written), 7 (too
    // large), 6 (screen too wide), or the loader's error (its frame file gone too).
    void ReadGifFrames();
    // Releases the frames (the list keeps its length), empties the frame records and sets
    // CurrentFrame to 0.
    void ClearFrames();

    // --- Drawing and timing ---
    // A canvas the size of the logical screen, its width rounded up to a multiple of 32, but no
    // larger than the host's screen, filled with the background colour: a GIF larger than the
    // screen plays its top-left part, as a window too small for it would show. Throws Error 6
    // when the logical screen is wider than 32736, 7 when the canvas is too large to make.
    void CreateCanvas();
    // Fills the drawing surface with the background colour.
    void ClearDisplay();
    // The solid colour the screen shows for a colour (system colours looked up first).
    COLORREF NearestSolidColor(COLORREF colour) const;
    // Draws frame `ctr` onto the canvas and copies the canvas to the drawing surface; draws
    // nothing while stopped, before a load, or for a frame number without a frame.
    void RenderGif(int ctr);
    // Draws the `rect`-sized source at (x, y) of the destination, leaving the destination
    // visible where the source has the key colour, then copies the canvas to the surface.
    void TransparentBlit(HDC destination, HDC source, const GifFrameRect& rect, int x, int y,
                         COLORREF key);
    // Shows a frame: warns when no file is set, otherwise starts rendering and draws it.
    void PaintGif(int curframe);
    // Starts the frame clock (first tick after 250 ms) at CurrentFrame; warns and starts nothing
    // when no file is set or no frame was loaded.
    void StartTimer();
    void StopTimer();
    void StopGif();
    // One tick of the frame clock: draws CurrentFrame, moves on (wrapping after the last frame)
    // and sets the interval from the delay of the frame the next tick draws.
    void Timer1_Timer();

    // --- Read access for the control, tools and tests ---
    // Whether a frame can be drawn: frame 0 is loaded. Not before the first load, after a load of
    // a file that is no GIF or holds no image, nor once the frames were cleared.
    bool hasFrames() const { return !m_frames.empty() && !m_frames.front().isNull(); }
    const GifStream& stream() const { return m_stream; }
    // The kept frames by frame number; an entry is null once released.
    const std::vector<GifFrame>& frames() const { return m_frames; }
    // The memory all kept frames take.
    std::size_t frameStoreBytes() const;
    HDC canvasDc() const { return m_canvasDc; }
    HBITMAP canvasBitmap() const { return m_canvasBitmap; }
    int canvasWidth() const { return m_canvasWidth; }
    int canvasHeight() const { return m_canvasHeight; }
    const GifFrameRect& frameRect() const { return m_frameRect; }
    COLORREF backgroundSolidColor() const { return m_backgroundSolidColor; }
    int timerInterval() const { return m_timerIntervalMs; }

private:
    void setTimerInterval(int intervalMs);
    void loadFramePictures();
    // The canvas for the file read (0, 0, width, height): the logical screen, its width rounded
    // up to a multiple of 32, no larger than the host's screen.
    GifFrameRect canvasRect() const;
    // The part of `rect` that lies on a canvas of `canvasWidth` x `canvasHeight`: the same
    // position, the size cut to the canvas (0 when nothing of it is on the canvas).
    static GifFrameRect visiblePart(const GifFrameRect& rect, int canvasWidth, int canvasHeight);

    GdiContext& m_gdi;
    GifAnimationHost& m_host;
    PictureLoader m_loader;
    HDC m_ownDc;

    int m_userDelay = 0;
    bool m_stopRender = true;
    bool m_changeTransparentColor = true;
    int m_numberofFrames = 0;
    int m_currentFrame = 0;
    HDC m_hdc;
    std::string m_strGifFileName;

    GifStream m_stream;
    std::vector<GifFrame> m_frames;
    int m_frameCounter = 0;

    HDC m_canvasDc;
    HBITMAP m_canvasBitmap;
    HBITMAP m_canvasFirstBitmap;  // what the canvas DC held before its first canvas
    bool m_canvasMade = false;
    int m_canvasWidth = 0;
    int m_canvasHeight = 0;
    GifFrameRect m_frameRect;
    COLORREF m_backgroundSolidColor = 0;
    int m_timerIntervalMs = 0;
};

}  // namespace plivora
