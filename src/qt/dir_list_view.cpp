#include "qt/dir_list_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include "forms/dir_list_box.h"
#include "qt/conversions.h"

namespace plivora {

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Draws an entry moved right by its depth in the tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) {
        return index.data(kLevelRole).toInt() * kIndentPixels;
    }
};

}  // namespace

DirListView::DirListView(DirListBox& list, QWidget& parent, QtHost& host, FormView& formView)
    : QListWidget(&parent), ChildView(list, host, formView) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { clickRow(row(item)); });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int position = row(item);
        deliver([position](Control& control) {
            static_cast<DirListBox&>(control).doubleClickEntry(position);
        });
    });
    showState();
}

DirListBox* DirListView::list() const {
    return static_cast<DirListBox*>(control());
}

void DirListView::clickRow(int position) {
    deliver(
        [position](Control& control) { static_cast<DirListBox&>(control).clickEntry(position); });
}

void DirListView::updateContent() {
    const DirListBox& model = *list();
    const QSignalBlocker blocker(this);
    std::vector<std::string> paths;
    for (const DirListBox::Entry& entry : model.entries()) {
        paths.push_back(entry.path);
    }
    if (paths != m_shownPaths) {
        clear();
        const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
        for (const DirListBox::Entry& entry : model.entries()) {
            auto* item =
                new QListWidgetItem(entry.open ? open : closed, fileNameToQString(entry.text));
            item->setData(kLevelRole, entry.level);
            addItem(item);
        }
        m_shownPaths = std::move(paths);
    }
    setCurrentRow(model.selectedEntry());
    if (model.selectedEntry() >= 0) {
        scrollToItem(item(model.selectedEntry()));
    }
}

void DirListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        deliver([](Control& control) { static_cast<DirListBox&>(control).pressEnter(); });
        return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) {
        clickRow(currentRow());
    }
}

void DirListView::mouseMoveEvent(QMouseEvent* event) {
    // Events of the list's viewport: the position is moved into the list's own coordinates.
    forwardMouseMove(*event, event->position() + QPointF(viewport()->pos()));
    QListWidget::mouseMoveEvent(event);
}

}  // namespace plivora
