#pragma once

#include <QWidget>

#include "qt/child_view.h"

namespace plivora {

class Frame;

// A frame: filled with its back colour, an etched border whose top edge runs through the middle
// of the caption line, and the caption over that edge. The views of the controls it holds are its
// child widgets, placed relative to its top-left corner.
class FrameView : public MouseForwardingView<QWidget, ChildView> {
public:
    FrameView(Frame& frame, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void paintEvent(QPaintEvent* event) override;

private:
    Frame* frame() const;

    QString m_caption;
};

}  // namespace plivora
