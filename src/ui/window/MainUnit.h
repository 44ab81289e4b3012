#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <utility>

class QLabel;
class QPushButton;
class TGroupBox;
class TMemo;
class TResultGrid;
class TValidateEdit;

// The main window: three number fields and two buttons in a panel across the top, the result grid
// below, and a hidden text box in which the clipboard report is assembled.
class TForm4 : public QWidget
{
    Q_OBJECT

public:
    // Builds the window from its layout at 96 dots per inch and scales it to `targetDpi`; 0 takes
    // the primary screen's.
    explicit TForm4(int targetDpi = 0, QWidget* parent = nullptr);

    TGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    TValidateEdit* Anzahl = nullptr;
    TValidateEdit* Zuverlaessigkeit = nullptr;
    QPushButton* Button1 = nullptr;
    TValidateEdit* Durchlaeufe = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Button2 = nullptr;
    TMemo* Memo1 = nullptr;
    TResultGrid* Tab = nullptr;

    // "Simulieren": a simulation shown in the grid.
    void Button1Click(QObject* Sender);
    // "ins Clipboard": a fresh simulation as a text report on the clipboard.
    void Button2Click(QObject* Sender);

    // Where each click's simulation starts: the clock unless a test chooses.
    using SeedSource = std::function<std::uint32_t()>;
    void setSeedSource(SeedSource source) { m_seedSource = std::move(source); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createComponents();
    void scaleTo(int targetDpi);
    void fitCaptions(int targetDpi);
    void alignToClientArea();
    void connectButton(QPushButton* button, void (TForm4::*handler)(QObject*));
    bool moveFocusFromButton(QPushButton* button, int key);

    int m_groupBoxHeight = 53;
    SeedSource m_seedSource;
};

extern TForm4* Form4;
