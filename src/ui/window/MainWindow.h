#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class FramedPanel;
class ResultGrid;
class NumberField;

// The main window: three number fields and two buttons in a panel across the top, the result grid
// below.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // Where each click's simulation starts.
    using SeedSource = std::function<std::uint32_t()>;

    // Builds the window from its layout at 96 dots per inch and scales it to `targetDpi`; 0 takes
    // the primary screen's. Each simulation starts where `seedSource` says, the clock by default.
    explicit MainWindow(int targetDpi = 0, QWidget* parent = nullptr, SeedSource seedSource = {});

    FramedPanel* inputPanel() const { return m_inputPanel; }
    QLabel* engineCountLabel() const { return m_engineCountLabel; }
    QLabel* reliabilityLabel() const { return m_reliabilityLabel; }
    QLabel* runCountLabel() const { return m_runCountLabel; }
    NumberField* engineCountField() const { return m_engineCountField; }
    NumberField* reliabilityField() const { return m_reliabilityField; }
    NumberField* runCountField() const { return m_runCountField; }
    QPushButton* simulateButton() const { return m_simulateButton; }
    QPushButton* clipboardButton() const { return m_clipboardButton; }
    ResultGrid* resultGrid() const { return m_resultGrid; }

    // "Simulieren": a simulation shown in the grid.
    void onSimulateClicked();
    // "ins Clipboard": a fresh simulation as a text report on the clipboard.
    void onClipboardClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createComponents();
    void scaleTo(int targetDpi);
    void fitCaptions(int targetDpi);
    void alignToClientArea();
    void connectButton(QPushButton* button, void (MainWindow::*handler)());
    bool moveFocusFromButton(QPushButton* button, int key);

    FramedPanel* m_inputPanel = nullptr;
    QLabel* m_engineCountLabel = nullptr;
    QLabel* m_reliabilityLabel = nullptr;
    QLabel* m_runCountLabel = nullptr;
    NumberField* m_engineCountField = nullptr;
    NumberField* m_reliabilityField = nullptr;
    NumberField* m_runCountField = nullptr;
    QPushButton* m_simulateButton = nullptr;
    QPushButton* m_clipboardButton = nullptr;
    ResultGrid* m_resultGrid = nullptr;
    int m_panelHeight = 53;
    SeedSource m_seedSource;
};
