#include "qt/drive_list_view.h"

#include <QSignalBlocker>

#include "forms/drive_list_box.h"
#include "qt/conversions.h"

namespace plivora {

DriveListView::DriveListView(DriveListBox& list, QWidget& parent, QtHost& host, FormView& formView)
    : QComboBox(&parent), ChildView(list, host, formView) {
    // activated() comes from the user only; the model's own changes arrive as updateContent().
    connect(this, &QComboBox::activated, this, [this](int index) {
        deliver(
            [index](Control& control) { static_cast<DriveListBox&>(control).setListIndex(index); });
    });
    showState();
}

DriveListBox* DriveListView::list() const {
    return static_cast<DriveListBox*>(control());
}

void DriveListView::showPopup() {
    deliver([](Control& control) { static_cast<DriveListBox&>(control).refresh(); });
    QComboBox::showPopup();
}

void DriveListView::updateContent() {
    const DriveListBox& model = *list();
    QStringList labels;
    for (const Drive& drive : model.drives()) {
        labels.push_back(fileNameToQString(drive.label));
    }
    const QSignalBlocker blocker(this);
    if (labels != m_shown) {
        clear();
        addItems(labels);
        m_shown = labels;
    }
    setCurrentIndex(model.listIndex());
}

}  // namespace plivora
