#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <QIcon>
#include <QListWidget>

#include "qt/child_view.h"

namespace plivora {

class ListView;

// A list view in icon view: each item's picture from the attached image list above its text,
// laid out in rows that wrap at the list's width. The model decides the selection: a press goes
// to the model (which selects the item under the pointer and raises MouseDown, then ItemClick),
// and the list shows what the model then holds. Items added to the model's end are added to the
// list as they come, so a page that is being filled shows each one at the next paint, and only its
// cell is painted again; any other change makes the list anew.
class IconListView : public QListWidget, public ChildView {
public:
    IconListView(ListView& list, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }
    // How many list items this view has made, over all rebuilds and additions.
    int itemsMade() const { return m_itemsMade; }

protected:
    void updateContent() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void doItemsLayout() override;

private:
    class ItemPictures;

    ListView* list() const;
    QPointF listPosition(const QMouseEvent& event) const;
    bool showsPrefixOfModel() const;
    void rebuild();
    void appendItems(std::size_t from);
    void showSelection();

    // What the list shows now: the items' texts and icon keys, the image list they came from and
    // how often it had been cleared then, and the icons made from it by key.
    std::vector<std::pair<std::string, std::string>> m_shownItems;
    const void* m_shownIcons = nullptr;
    int m_shownClearCount = -1;
    std::map<std::string, QIcon> m_icons;
    int m_itemsMade = 0;
    // The first item added at the end since the list was last laid out, or -1 when the next
    // layout repaints the whole list (nothing was added since, or the list was made anew).
    int m_firstAppendedRow = -1;
    ItemPictures* m_pictures;  // the list's item delegate, owned by the list
};

}  // namespace plivora
