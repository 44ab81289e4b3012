#include "ui/window/MainUnit.h"

#include "platform/Exceptions.h"
#include "platform/MulDiv.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/ClipboardReport.h"
#include "presentation/FormatSettings.h"
#include "presentation/ResultTable.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"
#include "ui/field/TValidateEdit.h"
#include "ui/grid/ResultTableLayout.h"
#include "ui/grid/TResultGrid.h"
#include "ui/window/TApplication.h"
#include "ui/window/TGroupBox.h"
#include "ui/window/TMemo.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>

TForm4* Form4 = nullptr;

namespace {

constexpr int layoutDpi = 96;
constexpr int clientWidth = 618;
constexpr int clientHeight = 307;
constexpr int fontHeight = -11;
// Room left between a caption and the next control, or its button's frame, at 96 DPI.
constexpr int captionGap = 4;
// How far a stand-in font is narrowed (per cent) and made smaller (pixels) to fit the captions.
constexpr int minCaptionStretch = 75;
constexpr int minCaptionPixelSize = 8;

struct Placement
{
    int left;
    int top;
    int width;
    int height;
};

constexpr Placement groupBox1{0, 0, 618, 53};
constexpr Placement label1{8, 4, 92, 13};
constexpr Placement label2{128, 4, 122, 13};
constexpr Placement label3{268, 4, 108, 13};
constexpr Placement anzahl{8, 23, 92, 21};
constexpr Placement zuverlaessigkeit{128, 23, 92, 21};
constexpr Placement button1{388, 21, 75, 25};
constexpr Placement durchlaeufe{268, 23, 92, 21};
constexpr Placement button2{481, 20, 75, 27};
constexpr Placement memo1{240, 168, 185, 89};
constexpr Placement tab{0, 53, 618, 254};

// Scaled edges: a control keeps its position and extends to the scaled right and bottom edges.
QRect scaled(const Placement& p, int dpi)
{
    const int left = MulDiv(p.left, dpi, layoutDpi);
    const int top = MulDiv(p.top, dpi, layoutDpi);
    return {left, top, MulDiv(p.left + p.width, dpi, layoutDpi) - left,
            MulDiv(p.top + p.height, dpi, layoutDpi) - top};
}

QRect rectOf(const Placement& p)
{
    return {p.left, p.top, p.width, p.height};
}

std::int32_t low32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TForm4::TForm4(int targetDpi, QWidget* parent)
    : QWidget(parent)
    , m_seedSource(seedFromClock)
{
    setWindowTitle(QStringLiteral("Ausfallwahrscheinlichkeit von Raketentriebwerken"));
    QFont windowFont = platform::programFont();
    windowFont.setPixelSize(-fontHeight);
    setFont(windowFont);
    resize(clientWidth, clientHeight);
    createComponents();

    if (targetDpi == 0)
        targetDpi = platform::displayDpi();
    if (targetDpi != layoutDpi)
        scaleTo(targetDpi);
    fitCaptions(targetDpi);
    Anzahl->setFocus(Qt::OtherFocusReason);
}

void TForm4::createComponents()
{
    GroupBox1 = new TGroupBox(this);
    GroupBox1->setGeometry(rectOf(groupBox1));
    GroupBox1->setFocusPolicy(Qt::NoFocus);

    auto label = [this](const Placement& p, const QString& caption) {
        auto* created = new QLabel(caption, GroupBox1);
        created->move(p.left, p.top);
        created->adjustSize();
        return created;
    };
    Label1 = label(label1, QStringLiteral("Anzahl Triebwerke:"));
    Label2 = label(label2, QStringLiteral("Ausfallwahrscheinlichkeit:"));

    auto field = [this](const Placement& p) {
        auto* created = new TValidateEdit(GroupBox1);
        created->beginLoading();
        created->setGeometry(rectOf(p));
        created->adjustHeightToFont();
        return created;
    };
    Anzahl = field(anzahl);
    Zuverlaessigkeit = field(zuverlaessigkeit);
    Zuverlaessigkeit->setTrimDecimals(true);
    Zuverlaessigkeit->setDisplayFormat(TValidateEditDisplayFormat::dfFloat);
    Zuverlaessigkeit->setDecimalPlaces(5);

    Button1 = new QPushButton(QStringLiteral("Simulieren"), GroupBox1);
    Button1->setGeometry(rectOf(button1));

    Durchlaeufe = field(durchlaeufe);
    Durchlaeufe->setDisplayFormat(TValidateEditDisplayFormat::dfDecimal);
    Label3 = label(label3, QStringLiteral("Simulationsdurchläufe:"));

    Button2 = new QPushButton(QStringLiteral("ins Clipboard"), GroupBox1);
    Button2->setGeometry(rectOf(button2));

    Memo1 = new TMemo(this);
    Memo1->setGeometry(rectOf(memo1));
    Memo1->LinesAdd(QStringLiteral("Memo1"));
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->hide();

    Tab = new TResultGrid(this);
    Tab->setGeometry(rectOf(tab));
    // The grid draws and measures with the window's font; its header uses the bold variant.
    Tab->setFont(font());

    // The initial reliability is written with the locale's own separator, so that a locale with
    // the decimal point reads 0.999 too, not 999.
    const QChar separator(writtenDecimalSeparator());
    Anzahl->setEditText(QStringLiteral("9"));
    Zuverlaessigkeit->setEditText(QStringLiteral("0") + separator + QStringLiteral("999"));
    Durchlaeufe->setEditText(QStringLiteral("1000000"));
    for (TValidateEdit* loaded : {Anzahl, Zuverlaessigkeit, Durchlaeufe})
        loaded->Loaded();

    // A screen reader names each field by its caption and the grid by what it holds; the panel
    // and the hidden report have no caption of their own.
    Label1->setBuddy(Anzahl);
    Label2->setBuddy(Zuverlaessigkeit);
    Label3->setBuddy(Durchlaeufe);
    GroupBox1->setAccessibleName(QStringLiteral("Eingaben"));
    Tab->setAccessibleName(QStringLiteral("Ergebnis"));
    Memo1->setAccessibleName(QStringLiteral("Bericht für die Zwischenablage"));

    setTabOrder(Anzahl, Zuverlaessigkeit);
    setTabOrder(Zuverlaessigkeit, Button1);
    setTabOrder(Button1, Durchlaeufe);
    setTabOrder(Durchlaeufe, Button2);
    setTabOrder(Button2, Tab);

    connectButton(Button1, &TForm4::Button1Click);
    connectButton(Button2, &TForm4::Button2Click);
}

void TForm4::connectButton(QPushButton* button, void (TForm4::*handler)(QObject*))
{
    // Neither button is the default or the cancel button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] { runGuarded([&] { (this->*handler)(button); }); });
}

void TForm4::scaleTo(int targetDpi)
{
    QFont scaledFont = font();
    scaledFont.setPixelSize(-MulDiv(fontHeight, targetDpi, layoutDpi));
    setFont(scaledFont);
    Tab->setFont(scaledFont);

    const std::array<std::pair<QWidget*, Placement>, 9> controls{
        {{Label1, label1},
         {Label2, label2},
         {Label3, label3},
         {Anzahl, anzahl},
         {Zuverlaessigkeit, zuverlaessigkeit},
         {Button1, button1},
         {Durchlaeufe, durchlaeufe},
         {Button2, button2},
         {Memo1, memo1}}};
    for (const auto& [control, placement] : controls)
        control->setGeometry(scaled(placement, targetDpi));
    for (QLabel* caption : {Label1, Label2, Label3})
        caption->adjustSize();
    // The fields take their height from the font.
    for (TValidateEdit* field : {Anzahl, Zuverlaessigkeit, Durchlaeufe})
        field->adjustHeightToFont();

    m_groupBoxHeight = scaled(groupBox1, targetDpi).height();
    Tab->scaleToDpi(targetDpi);
    resize(MulDiv(clientWidth, targetDpi, layoutDpi), MulDiv(clientHeight, targetDpi, layoutDpi));
    // A window not yet shown gets its resize event only when it shows.
    alignToClientArea();
}

void TForm4::fitCaptions(int targetDpi)
{
    // Tahoma's captions fit the layout with room to spare. A wider font that stands in for a
    // missing Tahoma would run a label into the next one and a caption into its button's frame;
    // the panel's font is then narrowed, or made smaller where narrowing alone is not enough.
    const int gap = MulDiv(captionGap, targetDpi, layoutDpi);
    struct Caption
    {
        QString text;
        int room;
    };
    const auto labelRoom = [&](const Placement& label, const Placement& next) {
        return scaled(next, targetDpi).left() - scaled(label, targetDpi).left() - gap;
    };
    const std::array<Caption, 5> captions{{
        {Label1->text(), labelRoom(label1, label2)},
        {Label2->text(), labelRoom(label2, label3)},
        {Label3->text(), labelRoom(label3, button1)},
        {Button1->text(), Button1->width() - 2 * gap},
        {Button2->text(), Button2->width() - 2 * gap},
    }};
    const auto fits = [&captions](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        return std::all_of(captions.begin(), captions.end(), [&metrics](const Caption& caption) {
            return metrics.horizontalAdvance(caption.text) <= caption.room;
        });
    };
    QFont panelFont = font();
    if (fits(panelFont))
        return;
    for (int stretch = 95; stretch >= minCaptionStretch && !fits(panelFont); stretch -= 5)
        panelFont.setStretch(stretch);
    while (!fits(panelFont) && panelFont.pixelSize() > minCaptionPixelSize)
        panelFont.setPixelSize(panelFont.pixelSize() - 1);
    GroupBox1->setFont(panelFont);
    for (QLabel* caption : {Label1, Label2, Label3})
        caption->adjustSize();
    for (TValidateEdit* field : {Anzahl, Zuverlaessigkeit, Durchlaeufe})
        field->adjustHeightToFont();
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    alignToClientArea();
}

void TForm4::alignToClientArea()
{
    // The panel spans the top at its own height; the grid takes what remains, down to nothing.
    GroupBox1->setGeometry(0, 0, width(), m_groupBoxHeight);
    Tab->setGeometry(0, m_groupBoxHeight, width(), std::max(0, height() - m_groupBoxHeight));
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // The keypad's Enter and arrow keys count like the main keyboard's.
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && plain) {
            button->click();
            return true;
        }
        if (plain && moveFocusFromButton(button, key->key()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm4::moveFocusFromButton(QPushButton* button, int key)
{
    int step = 0;
    if (key == Qt::Key_Left || key == Qt::Key_Up)
        step = -1;
    else if (key == Qt::Key_Right || key == Qt::Key_Down)
        step = 1;
    if (step == 0)
        return false;
    // The panel's controls in tab order, wrapping around.
    const std::array<QWidget*, 5> panel{Anzahl, Zuverlaessigkeit, Button1, Durchlaeufe, Button2};
    const auto here =
        static_cast<int>(std::find(panel.begin(), panel.end(), button) - panel.begin());
    const int next =
        (here + step + static_cast<int>(panel.size())) % static_cast<int>(panel.size());
    panel[static_cast<std::size_t>(next)]->setFocus(step > 0 ? Qt::TabFocusReason
                                                             : Qt::BacktabFocusReason);
    return true;
}

void TForm4::Button1Click(QObject*)
{
    const double reliability = Zuverlaessigkeit->AsFloat();
    const std::int32_t engines = low32(Anzahl->AsInteger());
    const std::int32_t runs = low32(Durchlaeufe->AsInteger());

    ResultTableLayout::applyShape(*Tab, engines);

    FailureHistogram histogram;
    simulateFailures(engines, runs, histogram, reliability, m_seedSource());
    ResultTable::writeRows(engines, runs, histogram,
                           [this](int column, int row, const std::string& text) {
                               Tab->setCells(column, row, std::string_view(text));
                           });
    Tab->AutoSizeColumns(true, ResultTableLayout::textPadding);
}

void TForm4::Button2Click(QObject*)
{
    const double reliability = Zuverlaessigkeit->AsFloat();
    const std::int32_t engines = low32(Anzahl->AsInteger());
    const std::int32_t runs = low32(Durchlaeufe->AsInteger());

    FailureHistogram histogram;
    simulateFailures(engines, runs, histogram, reliability, m_seedSource());

    Memo1->LinesClear();
    ClipboardReport::write(reliability, engines, runs, histogram,
                           [this](const std::string& line) { Memo1->LinesAdd(fromUtf8(line)); });
    Memo1->SelectAll();
    if (!Memo1->CopyToClipboard())
        throw Exception("Das Ergebnis konnte nicht in die Zwischenablage kopiert werden");
    platform::MessageBox(this, platform::MessageBoxes::Icon::Information,
                         QStringLiteral("Informationen"),
                         QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
}
