#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/control.h"
#include "picture/picture.h"

namespace plivora {

// A push button with a caption, or with a picture face when its style is graphical.
class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::CommandButton, &form, std::move(name), container) {}

    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption) {
        m_caption = caption;
        notify(ViewChange::Content);
    }
    const Picture& picture() const { return m_picture; }
    void setPicture(const Picture& picture) {
        m_picture = picture;
        for (const auto& [face, name] : m_faceNames) {
            if (face == picture) {
                setAccessibleName(name);
            }
        }
        notify(ViewChange::Content);
    }
    // A picture face that says what the button does (play, stop) to the eye; the button takes the
    // face's name as its accessible name whenever it shows that face.
    void setFaceName(const Picture& face, const std::string& name) {
        m_faceNames.emplace_back(face, name);
        if (face == m_picture) {
            setAccessibleName(name);
        }
    }
    bool isGraphical() const { return m_graphical; }
    void setGraphical(bool graphical) { m_graphical = graphical; }
    // Enter anywhere in the window presses the default button, Escape the cancel button.
    bool isDefault() const { return m_default; }
    void setDefault(bool isDefault) { m_default = isDefault; }
    bool isCancel() const { return m_cancel; }
    void setCancel(bool isCancel) { m_cancel = isCancel; }

private:
    std::string m_caption;
    Picture m_picture;
    std::vector<std::pair<Picture, std::string>> m_faceNames;
    bool m_graphical = false;
    bool m_default = false;
    bool m_cancel = false;
};

}  // namespace plivora
