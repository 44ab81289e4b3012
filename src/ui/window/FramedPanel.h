#pragma once

#include <QGroupBox>

// The panel across the top of the window: a plain frame around its whole area. Having no title,
// it keeps no room for one above the frame, as the style's group box would.
class FramedPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit FramedPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
