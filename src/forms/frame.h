#pragma once

#include <string>

#include "forms/control.h"

namespace plivora {

// A container with a border and a caption; its children are placed relative to its top-left.
class Frame : public Control {
public:
    Frame(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::Frame, &form, std::move(name), container) {}

    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption) {
        m_caption = caption;
        notify(ViewChange::Content);
    }

private:
    std::string m_caption;
};

}  // namespace plivora
