#include "qt/view_factory.h"

#include "forms/command_button.h"
#include "forms/dir_list_box.h"
#include "forms/drive_list_box.h"
#include "forms/file_list_box.h"
#include "forms/frame.h"
#include "forms/image_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/picture_box.h"
#include "forms/user_control.h"
#include "qt/command_button_view.h"
#include "qt/dir_list_view.h"
#include "qt/drive_list_view.h"
#include "qt/file_list_view.h"
#include "qt/frame_view.h"
#include "qt/icon_list_view.h"
#include "qt/image_view.h"
#include "qt/label_view.h"
#include "qt/picture_box_view.h"
#include "qt/user_control_view.h"

namespace plivora {

ChildView* createChildView(Control& control, QWidget& parent, QtHost& host, FormView& formView) {
    // One case per kind of control; a new kind of view is one more case.
    switch (control.kind()) {
        case ControlKind::CommandButton:
            return new CommandButtonView(static_cast<CommandButton&>(control), parent, host,
                                         formView);
        case ControlKind::Label:
            return new LabelView(static_cast<Label&>(control), parent, host, formView);
        case ControlKind::Image:
            return new ImageView(static_cast<ImageControl&>(control), parent, host, formView);
        case ControlKind::PictureBox:
            return new PictureBoxView(static_cast<PictureBox&>(control), parent, host, formView);
        case ControlKind::Frame:
            return new FrameView(static_cast<Frame&>(control), parent, host, formView);
        case ControlKind::DriveList:
            return new DriveListView(static_cast<DriveListBox&>(control), parent, host, formView);
        case ControlKind::DirList:
            return new DirListView(static_cast<DirListBox&>(control), parent, host, formView);
        case ControlKind::FileList:
            return new FileListView(static_cast<FileListBox&>(control), parent, host, formView);
        case ControlKind::ListView:
            return new IconListView(static_cast<ListView&>(control), parent, host, formView);
        case ControlKind::UserControl:
            return new UserControlView(static_cast<UserControl&>(control), parent, host, formView);
        case ControlKind::Form:
        case ControlKind::Timer:      // ticks through the host, shows nothing
        case ControlKind::ImageList:  // holds pictures for other controls, shows nothing
            return nullptr;
    }
    return nullptr;
}

}  // namespace plivora
