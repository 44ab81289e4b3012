#include "ui/window/FramedPanel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

FramedPanel::FramedPanel(QWidget* parent)
    : QGroupBox(parent)
{}

void FramedPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.midLineWidth = 0;
    frame.features = QStyleOptionFrame::None;
    // The style's own group box frame leaves room above it for a title even when there is none;
    // its plain frame runs along the rectangle it is given.
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}
