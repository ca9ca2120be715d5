#include "forms/control.h"

#include <algorithm>

#include "forms/form.h"
#include "forms/host.h"

namespace plivora {

Control::Control(ControlKind kind, Form* form, std::string name, Control* container)
    : m_kind(kind), m_name(std::move(name)), m_form(form), m_container(container) {
    if (m_container != nullptr) {
        m_container->m_children.push_back(this);
    }
    if (m_form != nullptr && m_form != this) {
        m_form->registerControl(this);
    }
}

Control::~Control() {
    if (m_view != nullptr) {
        m_view->controlDestroyed();
    }
    if (m_container != nullptr) {
        auto& siblings = m_container->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    if (m_form != nullptr && m_form != this) {
        m_form->unregisterControl(this);
    }
}

Host& Control::host() const {
    return m_form->host();
}

void Control::move(float left, float top, float width, float height) {
    if (left == m_left && top == m_top && width == m_width && height == m_height) {
        return;
    }
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    notify(ViewChange::Geometry);
}

void Control::setGeometryQuietly(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

void Control::setVisible(bool visible) {
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    notify(ViewChange::Visibility);
}

void Control::setEnabled(bool enabled) {
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    notify(ViewChange::Appearance);
}

void Control::setBackColor(OleColor color) {
    if (color == m_backColor) {
        return;
    }
    m_backColor = color;
    notify(ViewChange::Appearance);
}

void Control::setForeColor(OleColor color) {
    m_foreColor = color;
    notify(ViewChange::Appearance);
}

void Control::setFont(const Font& font) {
    m_font = font;
    notify(ViewChange::Appearance);
}

void Control::setToolTipText(const std::string& text) {
    m_toolTipText = text;
    notify(ViewChange::Appearance);
}

void Control::setAccessibleName(const std::string& name) {
    if (name == m_accessibleName) {
        return;
    }
    m_accessibleName = name;
    notify(ViewChange::Appearance);
}

void Control::zOrderFront() {
    m_zRank = m_form != nullptr ? m_form->nextZRank() : m_zRank + 1;
    notify(ViewChange::ZOrder);
}

void Control::notify(ViewChange change) {
    if (m_view != nullptr) {
        m_view->controlChanged(change);
    }
}

void Control::reportHandlerError(const Error& error) {
    host().handlerFailed(*this, error);
}

void Control::raiseClick() {
    runHandler(Click);
}
void Control::raiseDblClick() {
    runHandler(DblClick);
}

void Control::raiseMouseDown(int button, int shift, float x, float y) {
    runHandler(MouseDown, button, shift, x, y);
}

void Control::raiseMouseMove(int button, int shift, float x, float y) {
    runHandler(MouseMove, button, shift, x, y);
}

void Control::raiseMouseUp(int button, int shift, float x, float y) {
    runHandler(MouseUp, button, shift, x, y);
}

}  // namespace plivora
