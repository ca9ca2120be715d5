#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/types.h"
#include "win/error.h"

namespace plivora {

class Form;
class Host;

enum class ControlKind {
    Form,
    CommandButton,
    Label,
    Image,
    PictureBox,
    Frame,
    DriveList,
    DirList,
    FileList,
    Timer,
    ListView,
    ImageList,
    UserControl,
};

// What changed in a control, so that its view redraws only that.
enum class ViewChange { Geometry, Visibility, Content, Appearance, ZOrder };

// A view shows one control and forwards input to it. The control tells it what changed.
class ControlView {
public:
    virtual ~ControlView() = default;
    virtual void controlChanged(ViewChange change) = 0;
    // The control is going away; the view must not touch it from now on.
    virtual void controlDestroyed() {}
};

// The state every control shares: geometry in the container's units (twips unless the form sets
// a scale), visibility, colours, font, tooltip, mouse events. The state is the truth; a view only
// shows it. Setting a property notifies the view; events fire synchronously through their one
// handler slot.
class Control {
public:
    using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return m_kind; }
    const std::string& name() const { return m_name; }
    Form* form() const { return m_form; }
    Host& host() const;
    Control* container() const { return m_container; }
    const std::vector<Control*>& children() const { return m_children; }

    float left() const { return m_left; }
    float top() const { return m_top; }
    float width() const { return m_width; }
    float height() const { return m_height; }
    void setLeft(float value) { move(value, m_top, m_width, m_height); }
    void setTop(float value) { move(m_left, value, m_width, m_height); }
    virtual void setWidth(float value) { move(m_left, m_top, value, m_height); }
    virtual void setHeight(float value) { move(m_left, m_top, m_width, value); }
    virtual void move(float left, float top, float width, float height);

    bool isVisible() const { return m_visible; }
    virtual void setVisible(bool visible);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    OleColor backColor() const { return m_backColor; }
    virtual void setBackColor(OleColor color);
    OleColor foreColor() const { return m_foreColor; }
    void setForeColor(OleColor color);
    const Font& font() const { return m_font; }
    void setFont(const Font& font);
    const std::string& toolTipText() const { return m_toolTipText; }
    void setToolTipText(const std::string& text);
    // The name assistive technology gives the control: what a button does (a picture face says it
    // to the eye only), what a list holds, a label's role, what a picture shows. The tooltip, where
    // there is one, is its description; a label's description is the text it shows.
    const std::string& accessibleName() const { return m_accessibleName; }
    void setAccessibleName(const std::string& name);

    // Brings the control in front of its siblings; the last one brought forward is on top.
    void zOrderFront();
    int zOrderRank() const { return m_zRank; }

    ControlView* view() const { return m_view; }
    void setView(ControlView* view) { m_view = view; }

    // Events, one handler slot each.
    std::function<void()> Click;
    std::function<void()> DblClick;
    MouseHandler MouseDown;
    MouseHandler MouseMove;
    MouseHandler MouseUp;

    // Input from a view or a test. Positions are in the control's own units (twips).
    void raiseClick();
    void raiseDblClick();
    void raiseMouseDown(int button, int shift, float x, float y);
    void raiseMouseMove(int button, int shift, float x, float y);
    void raiseMouseUp(int button, int shift, float x, float y);

    // Runs one of this control's event handlers. An Error that the handler lets out ends that
    // handler only: the host reports it (Host::handlerFailed) and the program goes on. Anything
    // else is a fault and passes on.
    template <typename Handler, typename... Args>
    void runHandler(const Handler& handler, Args&&... args) {
        if (!handler) {
            return;
        }
        try {
            handler(std::forward<Args>(args)...);
        } catch (const Error& error) {
            reportHandlerError(error);
        }
    }

protected:
    Control(ControlKind kind, Form* form, std::string name, Control* container);
    void notify(ViewChange change);
    void reportHandlerError(const Error& error);
    // Lets a view or the host update geometry without echoing it back to the view.
    void setGeometryQuietly(float left, float top, float width, float height);

private:
    ControlKind m_kind;
    std::string m_name;
    Form* m_form = nullptr;
    Control* m_container = nullptr;
    std::vector<Control*> m_children;
    ControlView* m_view = nullptr;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    OleColor m_backColor = kButtonFace;
    OleColor m_foreColor = kWindowText;
    Font m_font;
    std::string m_toolTipText;
    std::string m_accessibleName;
    int m_zRank = 0;

    friend class Form;
};

}  // namespace plivora
