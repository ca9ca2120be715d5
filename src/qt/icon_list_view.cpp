#include "qt/icon_list_view.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include "forms/image_list.h"
#include "forms/list_view.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

namespace {
// Room around an icon for its text: a file name that may wrap once and the size line below it,
// and a margin on every side.
constexpr int kTextLines = 3;
constexpr int kCellMarginPixels = 8;
constexpr int kMinimumCellWidthPixels = 80;

// The first line of an item's text (the file name) broken so that it fits `width`: a name without
// spaces gives the list no place to wrap, and would be cut off on both sides. The name is split
// where the first line is full; a rest that does not fit one more line is shortened in the
// middle, so that the start of the name and its extension stay readable.
QString fitFirstLine(const QString& text, const QFontMetrics& metrics, int width) {
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    const QString name = lineEnd < 0 ? text : text.left(lineEnd);
    const QString rest = lineEnd < 0 ? QString() : text.mid(lineEnd);
    if (width <= 0 || metrics.horizontalAdvance(name) <= width) {
        return text;
    }
    qsizetype split = 1;
    while (split < name.size() && metrics.horizontalAdvance(name.left(split + 1)) <= width) {
        ++split;
    }
    const QString second = metrics.elidedText(name.mid(split), Qt::ElideMiddle, width);
    return name.left(split) + QLatin1Char('\n') + second + rest;
}
}  // namespace

// Draws each item once into a picture of its own, on the list's background, and afterwards only
// copies that picture. A list that grows by one item lays itself out anew and repaints all of its
// items; during a page fill, laying out and shaping every caption again at every added thumbnail
// took most of the window thread's time, which the decoder threads needed.
class IconListView::ItemPictures : public QStyledItemDelegate {
public:
    explicit ItemPictures(IconListView& list) : QStyledItemDelegate(&list), m_list(list) {}

    void forget() { m_pictures.clear(); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // What changes an item's look besides its row: its state, the size of its cell and the
        // pixel density of the screen.
        const qreal ratio = painter->device()->devicePixelRatioF();
        const QStyle::State looks =
            option.state & (QStyle::State_Selected | QStyle::State_MouseOver |
                            QStyle::State_HasFocus | QStyle::State_Enabled | QStyle::State_Active);
        const Key key{index.row(), static_cast<int>(looks), option.rect.width(),
                      option.rect.height(), ratio};
        auto found = m_pictures.find(key);
        if (found == m_pictures.end()) {
            QPixmap picture(option.rect.size() * ratio);
            picture.setDevicePixelRatio(ratio);
            // Opaque, on the list's background colour: copied without blending.
            picture.fill(m_list.viewport()->palette().color(m_list.viewport()->backgroundRole()));
            {
                QPainter onPicture(&picture);
                QStyleOptionViewItem at(option);
                at.rect.moveTo(0, 0);
                QStyledItemDelegate::paint(&onPicture, at, index);
            }
            found = m_pictures.emplace(key, std::move(picture)).first;
        }
        painter->drawPixmap(option.rect.topLeft(), found->second);
    }

private:
    struct Key {
        int row;
        int state;
        int width;
        int height;
        qreal ratio;
        bool operator<(const Key& other) const {
            return std::tie(row, state, width, height, ratio) <
                   std::tie(other.row, other.state, other.width, other.height, other.ratio);
        }
    };
    IconListView& m_list;
    mutable std::map<Key, QPixmap> m_pictures;
};

IconListView::IconListView(ListView& list, QWidget& parent, QtHost& host, FormView& formView)
    : QListWidget(&parent), ChildView(list, host, formView), m_pictures(new ItemPictures(*this)) {
    setItemDelegate(m_pictures);
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    setUniformItemSizes(true);
    // The user's presses go to the model; the list only shows the selection the model keeps.
    setSelectionMode(QAbstractItemView::NoSelection);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    showState();
}

ListView* IconListView::list() const {
    return static_cast<ListView*>(control());
}

void IconListView::updateContent() {
    const std::size_t shown = m_shownItems.size();
    if (!showsPrefixOfModel()) {
        rebuild();
    } else if (list()->items().size() > shown) {
        appendItems(shown);
    }
    showSelection();
}

// Whether the list shows the model's first items as they are, from the same image list as it
// was then, so that the model's further items can simply be added.
bool IconListView::showsPrefixOfModel() const {
    const ListView& model = *list();
    const ImageList* icons = model.icons();
    if (icons != m_shownIcons || (icons != nullptr && icons->clearCount() != m_shownClearCount) ||
        model.items().size() < m_shownItems.size()) {
        return false;
    }
    for (std::size_t i = 0; i < m_shownItems.size(); ++i) {
        const ListView::Item& item = model.items()[i];
        if (item.text != m_shownItems[i].first || item.iconKey != m_shownItems[i].second) {
            return false;
        }
    }
    return true;
}

void IconListView::rebuild() {
    const ListView& model = *list();
    const ImageList* icons = model.icons();
    const QSignalBlocker blocker(this);
    clear();
    m_pictures->forget();
    m_shownItems.clear();
    m_icons.clear();
    m_shownIcons = icons;
    m_shownClearCount = icons != nullptr ? icons->clearCount() : -1;
    QSize iconPixels(32, 32);
    if (icons != nullptr) {
        iconPixels = QSize(icons->imageWidth(), icons->imageHeight());
    }
    setIconSize(iconPixels);
    const int lineHeight = fontMetrics().height();
    const int cellWidth =
        std::max(kMinimumCellWidthPixels, iconPixels.width() + 2 * kCellMarginPixels);
    setGridSize(
        QSize(cellWidth, iconPixels.height() + kTextLines * lineHeight + 2 * kCellMarginPixels));
    appendItems(0);
}

void IconListView::appendItems(std::size_t from) {
    const ListView& model = *list();
    const ImageList* icons = model.icons();
    const QSignalBlocker blocker(this);
    // The style keeps a margin on each side of an item's text.
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int textWidth = gridSize().width() - 2 * textMargin;
    if (from > 0 && m_firstAppendedRow < 0) {
        m_firstAppendedRow = static_cast<int>(from);
    }
    for (std::size_t i = from; i < model.items().size(); ++i) {
        const ListView::Item& item = model.items()[i];
        QIcon icon;
        if (icons != nullptr) {
            auto cached = m_icons.find(item.iconKey);
            if (cached == m_icons.end()) {
                const ImageList::Entry* entry = icons->find(item.iconKey);
                QIcon made;
                if (entry != nullptr && !entry->image.isNull()) {
                    // The image list makes its pictures at the device size.
                    QPixmap pixmap = QPixmap::fromImage(wrapImage(entry->image));
                    pixmap.setDevicePixelRatio(static_cast<double>(entry->image.width) /
                                               std::max(1, icons->imageWidth()));
                    made = QIcon(pixmap);
                }
                cached = m_icons.emplace(item.iconKey, made).first;
            }
            icon = cached->second;
        }
        auto* shown = new QListWidgetItem(
            icon, fitFirstLine(captionToQString(item.text), fontMetrics(), textWidth));
        // Every item takes its whole cell. The list's uniform item size would otherwise be the
        // first item's, and a longer or taller text than its would be cut off.
        shown->setSizeHint(gridSize());
        shown->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        addItem(shown);
        ++m_itemsMade;
        m_shownItems.emplace_back(item.text, item.iconKey);
    }
    // The list lays its items out from a timer of its own, which did not run in the events that a
    // page fill lets run between thumbnails: the items showed only when the fill was over. Laid
    // out now, the next paint shows them.
    executeDelayedItemsLayout();
}

void IconListView::doItemsLayout() {
    const int firstAppended = m_firstAppendedRow;
    m_firstAppendedRow = -1;
    if (firstAppended < 0 || !viewport()->updatesEnabled()) {
        QListWidget::doItemsLayout();
        return;
    }
    // The list lays out all of its items again and repaints its whole area. Items added at the end
    // of a grid that keeps its place and size leave every other item where it was: only the new
    // cells need painting. During a page fill, repainting and sending the whole list to the screen
    // after every thumbnail took the window's thread and the display server more time than
    // anything else they did. The repaint is held back the way setUpdatesEnabled(false) holds it,
    // without the full repaint that setUpdatesEnabled(true) asks for afterwards.
    const QSize area = viewport()->size();
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
    QListWidget::doItemsLayout();
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, false);
    if (viewport()->size() != area ||
        scrolled != QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value())) {
        viewport()->update();
        return;
    }
    for (int row = firstAppended; row < count(); ++row) {
        viewport()->update(visualItemRect(item(row)));
    }
}

void IconListView::changeEvent(QEvent* event) {
    // The items' pictures were drawn with the palette, font and style of their time.
    switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            m_pictures->forget();
            break;
        default:
            break;
    }
    QListWidget::changeEvent(event);
}

void IconListView::showSelection() {
    const ListView& model = *list();
    const QSignalBlocker blocker(this);
    // Through the selection model: the list takes no selection from the user, nor from its items.
    QItemSelection selection;
    const int rows = std::min(count(), static_cast<int>(model.items().size()));
    for (int row = 0; row < rows; ++row) {
        if (model.items()[static_cast<std::size_t>(row)].selected) {
            const QModelIndex index = indexFromItem(item(row));
            selection.select(index, index);
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QPointF IconListView::listPosition(const QMouseEvent& event) const {
    // Events of the list's viewport: positions move into the list's own coordinates.
    return event.position() + QPointF(viewport()->pos());
}

void IconListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const int position = index.isValid() ? index.row() : -1;
    const int button = toMouseButton(event->button());
    const int shift = toShiftState(event->modifiers());
    const QPointF at = listPosition(*event);
    const float x = pixelsToTwips(at.x(), host().twipsPerPixelX());
    const float y = pixelsToTwips(at.y(), host().twipsPerPixelY());
    deliver([=](Control& control) {
        static_cast<ListView&>(control).pressItem(position, button, shift, x, y);
    });
}

void IconListView::mouseMoveEvent(QMouseEvent* event) {
    forwardMouseMove(*event, listPosition(*event));
}

void IconListView::mouseReleaseEvent(QMouseEvent* event) {
    forwardMouseUp(*event, listPosition(*event));
}

void IconListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second press is a press like the first: the model has no double-click of its own here.
    mousePressEvent(event);
}

}  // namespace plivora
