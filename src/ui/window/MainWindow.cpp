#include "ui/window/MainWindow.h"

#include "platform/Exceptions.h"
#include "platform/LayoutScale.h"
#include "platform/Memory.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/ClipboardReport.h"
#include "presentation/FormatSettings.h"
#include "presentation/ResultTable.h"
#include "presentation/ResultTableRows.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"
#include "ui/field/NumberField.h"
#include "ui/grid/ResultGrid.h"
#include "ui/window/Application.h"
#include "ui/window/FramedPanel.h"
#include "ui/window/ResultTableCellSource.h"
#include "ui/window/ResultTableShape.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

namespace {

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

constexpr Placement panelPlace{0, 0, 618, 53};
constexpr Placement engineCountLabelPlace{8, 4, 92, 13};
constexpr Placement reliabilityLabelPlace{128, 4, 122, 13};
constexpr Placement runCountLabelPlace{268, 4, 108, 13};
constexpr Placement engineCountFieldPlace{8, 23, 92, 21};
constexpr Placement reliabilityFieldPlace{128, 23, 92, 21};
constexpr Placement simulateButtonPlace{388, 21, 75, 25};
constexpr Placement runCountFieldPlace{268, 23, 92, 21};
constexpr Placement clipboardButtonPlace{481, 20, 75, 27};
constexpr Placement resultGridPlace{0, 53, 618, 254};

// Scaled edges: a control keeps its position and extends to the scaled right and bottom edges.
QRect scaled(const Placement& p, int dpi)
{
    const int left = scaledFromLayout(p.left, dpi);
    const int top = scaledFromLayout(p.top, dpi);
    return {left, top, scaledFromLayout(p.left + p.width, dpi) - left,
            scaledFromLayout(p.top + p.height, dpi) - top};
}

QRect rectOf(const Placement& p)
{
    return {p.left, p.top, p.width, p.height};
}

std::int32_t low32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

MainWindow::MainWindow(int targetDpi, QWidget* parent, SeedSource seedSource)
    : QWidget(parent)
    , m_seedSource(seedSource ? std::move(seedSource) : seedFromClock)
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
    m_engineCountField->setFocus(Qt::OtherFocusReason);
}

void MainWindow::createComponents()
{
    m_inputPanel = new FramedPanel(this);
    m_inputPanel->setGeometry(rectOf(panelPlace));
    m_inputPanel->setFocusPolicy(Qt::NoFocus);

    auto label = [this](const Placement& p, const QString& caption) {
        auto* created = new QLabel(caption, m_inputPanel);
        created->move(p.left, p.top);
        created->adjustSize();
        return created;
    };
    m_engineCountLabel = label(engineCountLabelPlace, QStringLiteral("Anzahl Triebwerke:"));
    m_reliabilityLabel = label(reliabilityLabelPlace, QStringLiteral("Ausfallwahrscheinlichkeit:"));

    auto field = [this](const Placement& p) {
        auto* created = new NumberField(m_inputPanel);
        created->beginLoading();
        created->setGeometry(rectOf(p));
        created->adjustHeightToFont();
        return created;
    };
    m_engineCountField = field(engineCountFieldPlace);
    m_reliabilityField = field(reliabilityFieldPlace);
    m_reliabilityField->setTrimDecimals(true);
    m_reliabilityField->setDisplayFormat(NumberFormat::Float);
    m_reliabilityField->setDecimalPlaces(5);

    m_simulateButton = new QPushButton(QStringLiteral("Simulieren"), m_inputPanel);
    m_simulateButton->setGeometry(rectOf(simulateButtonPlace));

    m_runCountField = field(runCountFieldPlace);
    m_runCountField->setDisplayFormat(NumberFormat::Decimal);
    m_runCountLabel = label(runCountLabelPlace, QStringLiteral("Simulationsdurchläufe:"));

    m_clipboardButton = new QPushButton(QStringLiteral("ins Clipboard"), m_inputPanel);
    m_clipboardButton->setGeometry(rectOf(clipboardButtonPlace));

    m_resultGrid = new ResultGrid(this);
    m_resultGrid->setGeometry(rectOf(resultGridPlace));
    // The grid draws and measures with the window's font; its header uses the bold variant.
    m_resultGrid->setFont(font());

    // The initial reliability is written with the locale's own separator, so that a locale with
    // the decimal point reads 0.999 too, not 999.
    const QChar separator(writtenDecimalSeparator());
    m_engineCountField->setEditText(QStringLiteral("9"));
    m_reliabilityField->setEditText(QStringLiteral("0") + separator + QStringLiteral("999"));
    m_runCountField->setEditText(QStringLiteral("1000000"));
    for (NumberField* loaded : {m_engineCountField, m_reliabilityField, m_runCountField})
        loaded->endLoading();

    // A screen reader names each field by its caption and the grid by what it holds; the panel
    // has no caption of its own.
    m_engineCountLabel->setBuddy(m_engineCountField);
    m_reliabilityLabel->setBuddy(m_reliabilityField);
    m_runCountLabel->setBuddy(m_runCountField);
    m_inputPanel->setAccessibleName(QStringLiteral("Eingaben"));
    m_resultGrid->setAccessibleName(QStringLiteral("Ergebnis"));

    setTabOrder(m_engineCountField, m_reliabilityField);
    setTabOrder(m_reliabilityField, m_simulateButton);
    setTabOrder(m_simulateButton, m_runCountField);
    setTabOrder(m_runCountField, m_clipboardButton);
    setTabOrder(m_clipboardButton, m_resultGrid);

    connectButton(m_simulateButton, &MainWindow::onSimulateClicked);
    connectButton(m_clipboardButton, &MainWindow::onClipboardClicked);
}

void MainWindow::connectButton(QPushButton* button, void (MainWindow::*handler)())
{
    // Neither button is the default or the cancel button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this,
            [this, handler] { runGuarded([&] { (this->*handler)(); }); });
}

void MainWindow::scaleTo(int targetDpi)
{
    QFont scaledFont = font();
    scaledFont.setPixelSize(-scaledFromLayout(fontHeight, targetDpi));
    setFont(scaledFont);
    m_resultGrid->setFont(scaledFont);

    const std::array<std::pair<QWidget*, Placement>, 8> controls{
        {{m_engineCountLabel, engineCountLabelPlace},
         {m_reliabilityLabel, reliabilityLabelPlace},
         {m_runCountLabel, runCountLabelPlace},
         {m_engineCountField, engineCountFieldPlace},
         {m_reliabilityField, reliabilityFieldPlace},
         {m_simulateButton, simulateButtonPlace},
         {m_runCountField, runCountFieldPlace},
         {m_clipboardButton, clipboardButtonPlace}}};
    for (const auto& [control, placement] : controls)
        control->setGeometry(scaled(placement, targetDpi));
    for (QLabel* caption : {m_engineCountLabel, m_reliabilityLabel, m_runCountLabel})
        caption->adjustSize();
    // The fields take their height from the font.
    for (NumberField* field : {m_engineCountField, m_reliabilityField, m_runCountField})
        field->adjustHeightToFont();

    m_panelHeight = scaled(panelPlace, targetDpi).height();
    m_resultGrid->scaleToDpi(targetDpi);
    resize(scaledFromLayout(clientWidth, targetDpi), scaledFromLayout(clientHeight, targetDpi));
    // A window not yet shown gets its resize event only when it shows.
    alignToClientArea();
}

void MainWindow::fitCaptions(int targetDpi)
{
    // Tahoma's captions fit the layout with room to spare. A wider font that stands in for a
    // missing Tahoma would run a label into the next one and a caption into its button's frame;
    // the panel's font is then narrowed, or made smaller where narrowing alone is not enough.
    const int gap = scaledFromLayout(captionGap, targetDpi);
    struct Caption
    {
        QString text;
        int room;
    };
    const auto labelRoom = [&](const Placement& label, const Placement& next) {
        return scaled(next, targetDpi).left() - scaled(label, targetDpi).left() - gap;
    };
    const std::array<Caption, 5> captions{{
        {m_engineCountLabel->text(), labelRoom(engineCountLabelPlace, reliabilityLabelPlace)},
        {m_reliabilityLabel->text(), labelRoom(reliabilityLabelPlace, runCountLabelPlace)},
        {m_runCountLabel->text(), labelRoom(runCountLabelPlace, simulateButtonPlace)},
        {m_simulateButton->text(), m_simulateButton->width() - 2 * gap},
        {m_clipboardButton->text(), m_clipboardButton->width() - 2 * gap},
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
    m_inputPanel->setFont(panelFont);
    for (QLabel* caption : {m_engineCountLabel, m_reliabilityLabel, m_runCountLabel})
        caption->adjustSize();
    for (NumberField* field : {m_engineCountField, m_reliabilityField, m_runCountField})
        field->adjustHeightToFont();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    alignToClientArea();
}

void MainWindow::alignToClientArea()
{
    // The panel spans the top at its own height; the grid takes what remains, down to nothing.
    m_inputPanel->setGeometry(0, 0, width(), m_panelHeight);
    m_resultGrid->setGeometry(0, m_panelHeight, width(), std::max(0, height() - m_panelHeight));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
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

bool MainWindow::moveFocusFromButton(QPushButton* button, int key)
{
    int step = 0;
    if (key == Qt::Key_Left || key == Qt::Key_Up)
        step = -1;
    else if (key == Qt::Key_Right || key == Qt::Key_Down)
        step = 1;
    if (step == 0)
        return false;
    // The panel's controls in tab order, wrapping around.
    const std::array<QWidget*, 5> panel{m_engineCountField, m_reliabilityField, m_simulateButton,
                                        m_runCountField, m_clipboardButton};
    const auto here =
        static_cast<int>(std::find(panel.begin(), panel.end(), button) - panel.begin());
    const int next =
        (here + step + static_cast<int>(panel.size())) % static_cast<int>(panel.size());
    panel[static_cast<std::size_t>(next)]->setFocus(step > 0 ? Qt::TabFocusReason
                                                             : Qt::BacktabFocusReason);
    return true;
}

void MainWindow::onSimulateClicked()
{
    const double reliability = m_reliabilityField->asFloat();
    const std::int32_t engines = low32(m_engineCountField->asInteger());
    const std::int32_t runs = low32(m_runCountField->asInteger());

    ResultTableShape::applyShape(*m_resultGrid, engines);

    FailureHistogram histogram;
    simulateFailures(engines, runs, histogram, reliability, m_seedSource());
    // The grid keeps the click's data and makes the texts it shows, reads or measures; the
    // formats in force now stay with them.
    ResultTableRows rows(engines, runs, std::move(histogram), formatSettings);
    // The first row is written cell by cell, each text made before the next: where a row's
    // computation fails, with no runs (0/0), it fails there as in every row, after the count text
    // is written and with the rest of the grid as it was.
    for (int column = 0; column < ResultTable::columnCount; ++column)
        m_resultGrid->setCellText(column, 1, std::string_view(rows.text(column, 0)));
    m_resultGrid->addCellSource(std::make_shared<ResultTableCellSource>(std::move(rows)));
    m_resultGrid->autoSizeColumns(true, ResultTableShape::textPadding);
}

void MainWindow::onClipboardClicked()
{
    const double reliability = m_reliabilityField->asFloat();
    const std::int32_t engines = low32(m_engineCountField->asInteger());
    const std::int32_t runs = low32(m_runCountField->asInteger());

    FailureHistogram histogram;
    simulateFailures(engines, runs, histogram, reliability, m_seedSource());

    // A report the memory cannot hold is refused before it is built: growing into it would end
    // with the system killing the program, not with an error the user can read.
    const std::optional<std::uint64_t> room = platform::availableMemory();
    if (room && ClipboardReport::sizeBound(engines) > *room)
        throw EOutOfMemory();

    // Every line ends with CR LF, as the desktop's other programs expect plain text to. The
    // report stays in UTF-8, the form the clipboard hands on, so that it is held once: ten million
    // engines make some 700 MB. A large buffer grows by reallocation, which moves no bytes.
    QByteArray report;
    ClipboardReport::write(reliability, engines, runs, histogram,
                           [&report](const std::string& line) {
                               report.append(line.data(), static_cast<qsizetype>(line.size()));
                               report.append("\r\n", 2);
                           });
    if (!platform::setClipboardUtf8Text(report))
        throw Exception("Das Ergebnis konnte nicht in die Zwischenablage kopiert werden");
    platform::showMessageBox(this, platform::MessageBoxes::Icon::Information,
                             QStringLiteral("Informationen"),
                             QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
}
