#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/host.h"
#include "picture/picture.h"

namespace plivora {

class Host;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class BorderStyle {
    None = 0,
    FixedSingle = 1,
    Sizable = 2,
    FixedDialog = 3,
    FixedToolWindow = 4
};

// A top-level window: outer position and size in twips, caption, window state, topmost flag and a
// client area whose coordinate system may be scaled. It owns no controls; the controls of a form
// are members of the form's class and register themselves here.
class Form : public Control {
public:
    ~Form() override;

    Host& host() const { return m_host; }
    const std::vector<Control*>& controls() const { return m_controls; }

    // Outer geometry (left, top, width, height from Control) is in twips, screen coordinates.
    float clientWidthTwips() const;
    float clientHeightTwips() const;
    // Sets the outer size so that the client area has the given size.
    void setClientSize(float widthTwips, float heightTwips);

    // The client area's logical size. Until a scale is set it is the client size in twips; once
    // set, control positions are in these units and map onto the real client size.
    float scaleWidth() const;
    float scaleHeight() const;
    void setScaleWidth(float units);
    void setScaleHeight(float units);
    bool hasCustomScale() const { return m_customScale; }
    // Factors from control units to twips of the client area.
    float unitsToTwipsX() const;
    float unitsToTwipsY() const;

    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption);
    const Picture& icon() const { return m_icon; }
    void setIcon(const Picture& icon);
    const Picture& picture() const { return m_picture; }  // background picture
    void setPicture(const Picture& picture);

    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle style) { m_borderStyle = style; }
    bool hasMinButton() const { return m_minButton; }
    bool hasMaxButton() const { return m_maxButton; }
    void setMinButton(bool on) { m_minButton = on; }
    void setMaxButton(bool on) { m_maxButton = on; }
    bool showInTaskbar() const { return m_showInTaskbar; }
    void setShowInTaskbar(bool on) { m_showInTaskbar = on; }
    bool isCentred() const { return m_centred; }
    void setCentred(bool on) { m_centred = on; }

    WindowState windowState() const { return m_windowState; }
    void setWindowState(WindowState state);
    bool isTopmost() const { return m_topmost; }
    void setTopmost(bool topmost);
    // A form that stays above all other windows whatever a SetWindowPos asks (the floating panel,
    // without which a hidden main window could not be reached).
    bool keepsAbove() const { return m_keepsAbove; }
    void setKeepsAbove(bool on) { m_keepsAbove = on; }

    // A loaded form's changes reach it as window messages, which the call-window hooks see first:
    // a move sends WM_MOVE, a resize WM_NCPAINT and WM_SIZE (whose handling is Resize), showing
    // and hiding WM_SHOWWINDOW (and WM_NCPAINT when it appears), painting WM_PAINT (whose
    // handling is Paint).
    void move(float left, float top, float width, float height) override;
    void setVisible(bool visible) override;

    bool isLoaded() const { return m_loaded; }
    // Loads the form (once): the host makes its view, then Load runs.
    void load();
    // Shows the form without waiting (modeless), loading it first when needed. A form that is
    // already shown comes to the front and becomes the active window.
    void show();
    // Whether the last call that showed the form or brought it to the front asked for it to
    // become the active window (a show does; SetWindowPos does unless given SWP_NOACTIVATE). The
    // window system grants it only while the program is the one the user works with, so that no
    // window of the program takes the keyboard focus from another program.
    bool activationRequested() const { return m_activationRequested; }
    void requestActivation(bool activate) { m_activationRequested = activate; }
    void hide();
    // Asks the form to close: QueryUnload may cancel; otherwise Unload runs and the view goes.
    // Returns whether the form was unloaded.
    bool unload(int unloadMode = 1);
    // Destroys the view without running any handler; the owner calls it before destroying a
    // loaded form, so that the view goes while the form's controls still exist.
    void destroyView();
    // Repaints: raises Paint.
    void refresh();

    std::function<void()> Load;
    std::function<void(int& cancel, int unloadMode)> QueryUnload;
    std::function<void()> Unload;
    std::function<void()> Paint;
    std::function<void()> Resize;
    // The window system's frame turned out to differ from the one the form's outer size was
    // computed with (the Qt host knows a window's frame only once it is shown): the arguments
    // are how much wider and taller the frame is, in twips.
    std::function<void(float extraWidth, float extraHeight)> FrameChange;

    // From the view: the user moved or resized the window, or changed its state.
    void setGeometryFromView(float left, float top, float width, float height);
    void setWindowStateFromView(WindowState state);
    void raisePaint();
    // The form's own handling of a message once the hooks have seen it.
    void windowProc(std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

    // Unload modes.
    static constexpr int kFormControlMenu = 0;  // the user closed the window
    static constexpr int kFormCode = 1;         // code unloaded it

    // The controls that Tab walks, in this order; the first of them that can take the keyboard
    // focus has it when the window is first shown. A control left out keeps what its kind does
    // (a button or a list still takes the focus, after the listed ones).
    const std::vector<Control*>& tabOrder() const { return m_tabOrder; }
    void setTabOrder(std::vector<Control*> order);

    void registerControl(Control* control);
    void unregisterControl(Control* control);
    int nextZRank() { return ++m_zCounter; }

protected:
    Form(Host& host, std::string name);

private:
    void raiseResize();
    void settleScale();
    void applyStateGeometry(WindowState state);
    void sendGeometryMessages(bool moved, bool resized);
    void sendMessage(std::uint32_t message, std::int32_t wParam = 0, std::int32_t lParam = 0);

    Host& m_host;
    std::vector<Control*> m_controls;
    std::vector<Control*> m_tabOrder;
    std::string m_caption;
    Picture m_icon;
    Picture m_picture;
    BorderStyle m_borderStyle = BorderStyle::Sizable;
    bool m_minButton = true;
    bool m_maxButton = true;
    bool m_showInTaskbar = true;
    bool m_centred = false;
    WindowState m_windowState = WindowState::Normal;
    // The outer geometry to return to when a maximised window is restored.
    std::array<float, 4> m_normalGeometry{};
    bool m_topmost = false;
    bool m_keepsAbove = false;
    bool m_activationRequested = true;
    // The frame the host reported when the form was loaded or last moved by the window system.
    FrameMetrics m_frame;
    bool m_loaded = false;
    bool m_everShown = false;
    bool m_customScale = false;
    float m_scaleWidth = 0;
    float m_scaleHeight = 0;
    int m_zCounter = 0;
};

}  // namespace plivora
