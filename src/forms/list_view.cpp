#include "forms/list_view.h"

#include "forms/image_list.h"
#include "win/error.h"

namespace plivora {

void ListView::setIcons(ImageList* icons) {
    m_icons = icons;
    notify(ViewChange::Content);
}

void ListView::addItem(const std::string& text, const std::string& iconKey) {
    if (m_icons == nullptr) {
        throw Error(ErrorNumber::IndexOutOfBounds);
    }
    if (!m_icons->contains(iconKey)) {
        throw Error(ErrorNumber::ElementNotFound);
    }
    m_items.push_back({text, iconKey, false});
    notify(ViewChange::Content);
}

void ListView::clearItems() {
    m_items.clear();
    notify(ViewChange::Content);
}

void ListView::setSelected(int position, bool selected) {
    if (position < 0 || position >= static_cast<int>(m_items.size())) {
        return;
    }
    m_items[static_cast<std::size_t>(position)].selected = selected;
    notify(ViewChange::Content);
}

void ListView::pressItem(int position, int button, int shift, float x, float y) {
    // A press selects the item under the pointer alone, as an icon view does.
    if (position >= 0 && position < static_cast<int>(m_items.size())) {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            m_items[i].selected = static_cast<int>(i) == position;
        }
        notify(ViewChange::Content);
    }
    raiseMouseDown(button, shift, x, y);
    if (position >= 0 && position < static_cast<int>(m_items.size())) {
        runHandler(ItemClick, position);
    }
}

}  // namespace plivora
