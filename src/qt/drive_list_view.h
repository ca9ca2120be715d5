#pragma once

#include <QComboBox>
#include <QStringList>

#include "qt/child_view.h"

namespace plivora {

class DriveListBox;

// A drive list: a drop-down list of the drives; the user's choice selects the drive. The drives
// are read again each time the list opens, so a volume mounted or removed meanwhile shows.
class DriveListView : public QComboBox, public ChildView {
public:
    DriveListView(DriveListBox& list, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }
    void showPopup() override;

protected:
    void updateContent() override;

private:
    DriveListBox* list() const;

    QStringList m_shown;
};

}  // namespace plivora
