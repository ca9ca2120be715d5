#pragma once

#include <string>
#include <vector>

#include <QListWidget>

#include "qt/child_view.h"

namespace plivora {

class FileListBox;

// A file list: the matching files of the folder. A selection made with the mouse or the arrow
// keys selects the entry in the model, which raises Click. Anything dropped onto it raises
// OLEDragDrop: the local files of a URL list, or no file list for other data.
class FileListView : public QListWidget, public ChildView {
public:
    FileListView(FileListBox& list, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FileListBox* list() const;
    void selectionChangedByUser();
    void deliverSelection();
    void showSelection();

    std::vector<std::string> m_shown;
};

}  // namespace plivora
