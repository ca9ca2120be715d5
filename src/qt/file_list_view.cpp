#include "qt/file_list_view.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStringList>

#include "forms/file_list_box.h"
#include "qt/conversions.h"

namespace plivora {

FileListView::FileListView(FileListBox& list, QWidget& parent, QtHost& host, FormView& formView)
    : QListWidget(&parent), ChildView(list, host, formView) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line of the same font: the list need not lay out the text of thousands
    // of names to know their heights.
    setUniformItemSizes(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // The selection, not the current item: focus alone moves the current item without choosing
    // a file.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] { selectionChangedByUser(); });
    showState();
}

FileListBox* FileListView::list() const {
    return static_cast<FileListBox*>(control());
}

void FileListView::updateContent() {
    const FileListBox& model = *list();
    const QSignalBlocker blocker(this);
    if (model.entries() != m_shown) {
        clear();
        // One call for the whole list: adding items one by one relays out the list each time,
        // which a folder of thousands of pictures feels.
        QStringList names;
        names.reserve(static_cast<qsizetype>(model.entries().size()));
        for (const std::string& name : model.entries()) {
            names.append(fileNameToQString(name));
        }
        addItems(names);
        m_shown = model.entries();
    }
    showSelection();
}

void FileListView::showSelection() {
    const QSignalBlocker blocker(this);
    const int index = list()->listIndex();
    if (index < 0) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index);
    scrollToItem(item(index));
}

void FileListView::selectionChangedByUser() {
    // The choice reaches the model once the list has finished its own handling of the key or the
    // click. Showing a picture lets events run; a key that arrived while the list was still
    // inside the previous key's handling would move from a stale current row, and the list would
    // afterwards put back the row it started from.
    QMetaObject::invokeMethod(
        this, [this] { deliverSelection(); }, Qt::QueuedConnection);
}

void FileListView::deliverSelection() {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (control() == nullptr) {
        return;
    }
    if (selected.isEmpty()) {
        showSelection();  // the model keeps its entry; so does the list
        return;
    }
    const int position = row(selected.front());
    if (position == list()->listIndex()) {
        return;
    }
    deliver([position](Control& control) {
        static_cast<FileListBox&>(control).setListIndex(position);
    });
}

void FileListView::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    // Qt puts the current item on the first row when a list without one gains the focus, and the
    // first Down would then choose the second file. While no file is chosen the list has no
    // current item, so that Down chooses the first file and Up the last.
    if (control() != nullptr && list()->listIndex() < 0) {
        showSelection();
    }
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
    // Events of the list's viewport: the position is moved into the list's own coordinates.
    forwardMouseMove(*event, event->position() + QPointF(viewport()->pos()));
    QListWidget::mouseMoveEvent(event);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    const DropData dropped = toDropData(*event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    deliver([&dropped](Control& control) {
        static_cast<FileListBox&>(control).raiseOLEDragDrop(dropped);
    });
}

}  // namespace plivora
