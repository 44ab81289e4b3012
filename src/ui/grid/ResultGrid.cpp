#include "ui/grid/ResultGrid.h"

#include "platform/desktop/Fonts.h"
#include "ui/grid/FontTextMeasurer.h"
#include "ui/grid/GridKeyCommand.h"
#include "ui/grid/ResultGridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <optional>
#include <utility>

namespace {

constexpr int autoScrollInterval = 60;
constexpr int borderWidth = 2;

std::optional<ScrollAction> scrollActionOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollAction::LineBack;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollAction::LineForward;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollAction::PageBack;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollAction::PageForward;
    case QAbstractSlider::SliderToMinimum:
        return ScrollAction::ToStart;
    case QAbstractSlider::SliderToMaximum:
        return ScrollAction::ToEnd;
    default:
        // Dragging moves the view only when the thumb is released, through valueChanged.
        return std::nullopt;
    }
}

} // namespace

ResultGrid::ResultGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_wheelScrollLines(QApplication::wheelScrollLines())
{
    static const bool readableAsTable = [] {
        QAccessible::installFactory(&ResultGridAccessible::create);
        return true;
    }();
    Q_UNUSED(readableAsTable);
    setFont(platform::programFont());
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(borderWidth);
    // Focus by Tab, and by the left button only (the press handler); a right click leaves
    // it.
    setFocusPolicy(Qt::TabFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
        bar->setTracking(false);
        bar->setRange(0, 0);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->installEventFilter(this);
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, orientation](int action) { scrollBarAction(orientation, action); });
        connect(bar, &QScrollBar::valueChanged, this,
                [this, orientation](int value) { scrollBarValue(orientation, value); });
    }
    m_autoScrollTimer.setInterval(autoScrollInterval);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, [this] {
        m_state.autoScrollStep(m_pointer.x(), m_pointer.y());
        changed();
    });
    syncScrollBars();
}

void ResultGrid::setRowCount(int value)
{
    m_state.setRowCount(value);
    tableChanged();
    changed();
}

void ResultGrid::setColumnCount(int value)
{
    m_state.setColumnCount(value);
    tableChanged();
    changed();
}

void ResultGrid::setFixedRowCount(int value)
{
    m_state.setFixedRowCount(value);
    tableChanged();
    changed();
}

QString ResultGrid::cellText(int col, int row) const
{
    const std::string text = m_state.cellText(col, row);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ResultGrid::setCellText(int col, int row, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    setCellText(col, row,
                std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void ResultGrid::setCellText(int col, int row, std::string_view utf8)
{
    m_state.setCellText(col, row, utf8);
    if (const auto rect = m_state.cellRect(col, row))
        viewport()->update(rect->x, rect->y, rect->width, rect->height);
}

void ResultGrid::addCellSource(std::shared_ptr<const GridCellSource> source)
{
    m_state.addCellSource(std::move(source));
    viewport()->update();
}

void ResultGrid::setDefaultColumnWidth(int width)
{
    m_state.setDefaultColumnWidth(width);
    changed();
}

void ResultGrid::autoSizeColumns(bool includeFixedColumns, int padding)
{
    FontTextMeasurer measurer(fonts());
    m_state.autoSizeColumns(includeFixedColumns, padding, measurer);
    changed();
}

void ResultGrid::zoom(int delta)
{
    m_state.zoom(delta);
    changed();
}

void ResultGrid::scaleToDpi(int targetDpi)
{
    m_state.scaleToDpi(targetDpi);
    changed();
}

QFont ResultGrid::fixedFont() const
{
    QFont fixed = font();
    fixed.setBold(true);
    return fixed;
}

GridFonts ResultGrid::fonts() const
{
    return {font(), fixedFont(), logicalDpiY()};
}

GridColors ResultGrid::colors() const
{
    const QWidget* holder = parentWidget();
    const QColor parentBackground = holder ? holder->palette().color(holder->backgroundRole())
                                           : palette().color(QPalette::Window);
    return GridColors::fromPalette(palette(), parentBackground);
}

void ResultGrid::changed()
{
    syncScrollBars();
    viewport()->update();
    announceCurrentCell(false);
}

void ResultGrid::tableChanged()
{
    if (!QAccessible::isActive())
        return;
    // Cells a reader holds may name rows that are gone or have moved.
    QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
    // A table shaped while it can be seen is news the reader is told, wherever its focus is (on
    // the button that was pressed, most often); the window's first shape before it shows is not.
    m_tableNews = m_tableNews || isVisible();
    // The window fills the cells after it has shaped the table; the reader hears of the new table
    // once, when the click is done.
    if (m_tableAnnouncementPending)
        return;
    m_tableAnnouncementPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_tableAnnouncementPending = false;
            QAccessibleEvent described(this, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
            if (!std::exchange(m_tableNews, false))
                return;
            if (auto* table = dynamic_cast<ResultGridAccessible*>(
                    QAccessible::queryAccessibleInterface(this)))
                table->announce(table->newTableMessage());
        },
        Qt::QueuedConnection);
}

void ResultGrid::announceCurrentCell(bool always)
{
    const GridCoord current = m_state.current();
    if (current == m_announcedCell && !always)
        return;
    m_currentCellFromAnotherRow = always || current.row != m_announcedCell.row;
    m_announcedCell = current;
    if (!QAccessible::isActive() || !hasFocus())
        return;
    m_focusAnnouncementPending = false;
    const int index = ResultGridAccessible::childIndexOf(this, current.col, current.row);
    if (index < 0)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
}

void ResultGrid::syncScrollBars()
{
    if (m_syncing)
        return;
    m_syncing = true;
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    const QRect area = rect().adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    const int barWidth = vertical->sizeHint().width();
    const int barHeight = horizontal->sizeHint().height();
    const auto needs = m_state.scrollBarsNeeded(area.width(), area.height(), barWidth, barHeight);
    setVerticalScrollBarPolicy(needs.vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(needs.horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_state.setClientSize(area.width() - (needs.vertical ? barWidth : 0),
                          area.height() - (needs.horizontal ? barHeight : 0));
    vertical->setRange(0, needs.vertical ? GridAxis::thumbRange : 0);
    vertical->setValue(m_state.verticalThumbPosition());
    horizontal->setRange(0, needs.horizontal ? GridAxis::thumbRange : 0);
    horizontal->setValue(m_state.horizontalThumbPosition());
    m_syncing = false;
}

void ResultGrid::scrollBarAction(Qt::Orientation orientation, int action)
{
    const auto scroll = scrollActionOf(action);
    if (!scroll)
        return;
    QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    if (orientation == Qt::Vertical) {
        m_state.scrollVertical(*scroll);
        bar->setSliderPosition(m_state.verticalThumbPosition());
    } else {
        m_state.scrollHorizontal(*scroll);
        bar->setSliderPosition(m_state.horizontalThumbPosition());
    }
    changed();
}

void ResultGrid::scrollBarValue(Qt::Orientation orientation, int value)
{
    if (m_syncing)
        return;
    if (orientation == Qt::Vertical) {
        if (value == m_state.verticalThumbPosition())
            return;
        m_state.releaseVerticalThumb(value);
    } else {
        if (value == m_state.horizontalThumbPosition())
            return;
        m_state.releaseHorizontalThumb(value);
    }
    changed();
}

void ResultGrid::scrollContentsBy(int, int)
{
    // The state owns the view origin; the scroll bars only report to it.
}

bool ResultGrid::event(QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return QAbstractScrollArea::event(event);
    // The grid's own surface is the frame and, with both bars shown, the corner between them.
    QPainter painter(this);
    const GridColors gridColors = colors();
    ResultGridPainter::paintFrame(painter, rect(), gridColors);
    if (verticalScrollBar()->isVisible() && horizontalScrollBar()->isVisible()) {
        const QRect client = viewport()->geometry();
        const QRect area = rect().adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
        painter.fillRect(QRect(QPoint(client.right() + 1, client.bottom() + 1), area.bottomRight()),
                         gridColors.fixedColor);
    }
    return true;
}

bool ResultGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Over a scroll bar the wheel still moves the current cell or zooms, as over the cells.
    if (event->type() == QEvent::Wheel &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void ResultGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const GridColors gridColors = colors();
    ResultGridPainter(m_state, gridColors, fonts(), hasFocus())
        .paintClientArea(painter, event->rect());
}

void ResultGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    changed();
}

void ResultGrid::keyPressEvent(QKeyEvent* event)
{
    // Keys the grid does not use have no effect at all; they are not passed on to the window.
    event->accept();
    const auto command = gridKeyCommand(event->key(), event->modifiers());
    if (!command)
        return;
    if (command->verb == GridKeyCommand::Verb::SelectAll)
        m_state.selectAll();
    else
        m_state.keyPress(command->key, command->shift, command->ctrl);
    changed();
}

void ResultGrid::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    m_pointer = event->position().toPoint();
    if (m_state.mousePress(m_pointer.x(), m_pointer.y(), event->modifiers() & Qt::ShiftModifier)) {
        m_selecting = true;
        m_autoScrollTimer.start();
    }
    changed();
}

void ResultGrid::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_selecting)
        return;
    if (!(event->buttons() & Qt::LeftButton)) {
        stopSelecting();
        return;
    }
    m_pointer = event->position().toPoint();
    m_state.mouseDrag(m_pointer.x(), m_pointer.y());
    changed();
}

void ResultGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        stopSelecting();
}

void ResultGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first press of a double click did the work; the second one does nothing.
    event->accept();
}

void ResultGrid::stopSelecting()
{
    m_selecting = false;
    m_autoScrollTimer.stop();
}

void ResultGrid::wheelEvent(QWheelEvent* event)
{
    event->accept();
    // Every message is one step, however far the wheel or touchpad moved.
    int delta = event->angleDelta().y();
    if (delta == 0)
        delta = event->pixelDelta().y();
    if (delta == 0)
        return;
    m_state.wheelStep(delta > 0, event->modifiers() & Qt::ControlModifier, m_wheelScrollLines);
    changed();
}

void ResultGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    // A reader hears the cell the keys act on after the grid itself, whose focus Qt tells only
    // once this handler is done; unless a click has moved the cell and told it by then.
    m_focusAnnouncementPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_focusAnnouncementPending)
                announceCurrentCell(true);
        },
        Qt::QueuedConnection);
}

void ResultGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ResultGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        viewport()->update();
}
