#pragma once

#include <string>
#include <vector>

#include <QListWidget>

#include "qt/child_view.h"

namespace plivora {

class DirListBox;

// A folder list: the folders from the drive's root down to the current folder, indented by depth
// with an open-folder icon, then the current folder's subfolders. A click selects an entry, a
// double click or Enter opens it, the arrow keys move the selection.
class DirListView : public QListWidget, public ChildView {
public:
    DirListView(DirListBox& list, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    DirListBox* list() const;
    void clickRow(int row);

    std::vector<std::string> m_shownPaths;
};

}  // namespace plivora
