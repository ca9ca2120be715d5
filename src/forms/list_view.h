#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace plivora {

class ImageList;

// A list of items shown as large icons with their text under them. The icons come from an
// attached image list by key. A press raises MouseDown first; a press on an item then raises
// ItemClick with that item's position.
class ListView : public Control {
public:
    struct Item {
        std::string text;
        std::string iconKey;
        bool selected = false;
    };

    ListView(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::ListView, &form, std::move(name), container) {}

    ImageList* icons() const { return m_icons; }
    void setIcons(ImageList* icons);

    const std::vector<Item>& items() const { return m_items; }
    // Adds an item whose icon is the attached image list's picture with that key. Fails with
    // error 35600 without an image list and 35601 when the key is not in it.
    void addItem(const std::string& text, const std::string& iconKey);
    void clearItems();
    void setSelected(int position, bool selected);

    // User input from a view: a press on the item at the position (-1: on no item).
    void pressItem(int position, int button, int shift, float x, float y);

    std::function<void(int position)> ItemClick;

private:
    ImageList* m_icons = nullptr;
    std::vector<Item> m_items;
};

}  // namespace plivora
