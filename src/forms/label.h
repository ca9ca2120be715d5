#pragma once

#include <string>

#include "forms/control.h"

namespace plivora {

enum class BackStyle { Transparent = 0, Opaque = 1 };
enum class Alignment { Left = 0, Right = 1, Center = 2 };

// A text that wraps at word boundaries within the label's width; a carriage return, a line feed or
// both break the line. Text beyond the label's area is cut off.
class Label : public Control {
public:
    Label(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::Label, &form, std::move(name), container) {}

    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption) {
        if (caption == m_caption) {
            return;
        }
        m_caption = caption;
        notify(ViewChange::Content);
    }
    BackStyle backStyle() const { return m_backStyle; }
    void setBackStyle(BackStyle style) {
        m_backStyle = style;
        notify(ViewChange::Appearance);
    }
    Alignment alignment() const { return m_alignment; }
    void setAlignment(Alignment alignment) {
        m_alignment = alignment;
        notify(ViewChange::Appearance);
    }

private:
    std::string m_caption;
    BackStyle m_backStyle = BackStyle::Opaque;
    Alignment m_alignment = Alignment::Left;
};

}  // namespace plivora
