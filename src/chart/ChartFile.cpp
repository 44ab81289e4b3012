#include "chart/ChartFile.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#if TRIEBWERKE_HAVE_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>
#include <new>
#include <optional>

namespace {

QColor toQColor(ChartColor color)
{
    return QColor(color.red, color.green, color.blue);
}

// Text needs the font database, which needs an application object; a command-line tool has none
// and may run without a display, so it gets one on the offscreen platform while it draws.
class DrawingApplication
{
public:
    DrawingApplication()
    {
        if (QGuiApplication::instance() != nullptr)
            return;
        // Qt's notes and warnings about the session (no runtime directory, no display) mean
        // nothing to the user of a command-line tool; its own messages are all it prints. Critical
        // errors still get through.
        m_previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (type != QtCriticalMsg && type != QtFatalMsg)
                    return;
                if (s_passOn)
                    s_passOn(type, context, message);
                else
                    std::fprintf(stderr, "%s\n",
                                 qPrintable(qFormatLogMessage(type, context, message)));
            });
        s_passOn = m_previousHandler;
        m_application.emplace(m_argc, m_argv);
    }
    ~DrawingApplication()
    {
        if (!m_application)
            return;
        m_application.reset();
        qInstallMessageHandler(m_previousHandler);
    }
    DrawingApplication(const DrawingApplication&) = delete;
    DrawingApplication& operator=(const DrawingApplication&) = delete;

private:
    // The application takes the arguments it understands out of argc and argv, so every
    // application gets a fresh copy; they have to outlive it.
    static inline char s_name[] = "triebwerke-report";
    static inline char s_platformOption[] = "-platform";
    static inline char s_platformName[] = "offscreen";
    int m_argc = 3;
    char* m_argv[4] = {s_name, s_platformOption, s_platformName, nullptr};
    std::optional<QGuiApplication> m_application;
    QtMessageHandler m_previousHandler = nullptr;
    static inline QtMessageHandler s_passOn = nullptr;
};

QFont chartFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Light hinting, fontconfig's default on Debian, named so that a system without fontconfig
    // (Windows) hints the same way and the plots come out alike.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

QString toQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

class FontMeasurer final : public ChartTextMeasurer
{
public:
    double width(std::string_view utf8, int pixelSize, bool bold) const override
    {
        return QFontMetricsF(chartFont(pixelSize, bold)).horizontalAdvance(toQString(utf8));
    }
    double height(int pixelSize) const override
    {
        return QFontMetricsF(chartFont(pixelSize, false)).height();
    }
};

void paint(const ChartImage& image, QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(0, 0, image.width, image.height), toQColor(image.background));
    const auto drawLines = [&painter](const std::vector<ChartLine>& lines) {
        for (const ChartLine& line : lines) {
            QPen pen(toQColor(line.color));
            pen.setWidthF(line.width);
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
        }
    };
    drawLines(image.gridLines);
    for (const ChartRectangle& rectangle : image.rectangles)
        painter.fillRect(QRectF(rectangle.x, rectangle.y, rectangle.width, rectangle.height),
                         toQColor(rectangle.fill));
    drawLines(image.lines);
    for (const ChartMarker& marker : image.markers) {
        painter.setPen(QPen(toQColor(marker.outline), 1));
        painter.setBrush(toQColor(marker.fill));
        painter.drawEllipse(QPointF(marker.x, marker.y), marker.radius, marker.radius);
    }
    painter.setBrush(Qt::NoBrush);
    for (const ChartText& text : image.texts) {
        painter.setFont(chartFont(text.pixelSize, text.bold));
        painter.setPen(toQColor(text.color));
        // A box far wider than any text, placed so that the alignment puts the text's anchor on
        // (x, y).
        constexpr double reach = 4000;
        const double height = text.pixelSize * 2.0;
        Qt::Alignment alignment = Qt::AlignVCenter;
        double left = 0;
        switch (text.anchor) {
        case TextAnchor::Left:
            alignment |= Qt::AlignLeft;
            left = 0;
            break;
        case TextAnchor::Centre:
            alignment |= Qt::AlignHCenter;
            left = -reach / 2;
            break;
        case TextAnchor::Right:
            alignment |= Qt::AlignRight;
            left = -reach;
            break;
        }
        painter.save();
        painter.translate(text.x, text.y);
        if (text.vertical)
            painter.rotate(-90);
        painter.drawText(QRectF(left, -height / 2, reach, height), alignment, toQString(text.text));
        painter.restore();
    }
}

QByteArray encodePng(const ChartImage& image)
{
    QImage picture(image.width, image.height, QImage::Format_RGB32);
    if (picture.isNull())
        throw std::bad_alloc();
    {
        QPainter painter(&picture);
        paint(image, painter);
    }
    // Encoded in memory, the image library meets no full disk: its own messages and its failure
    // paths stay out of the way, and the file is written in one piece by the caller.
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!picture.save(&png, "PNG"))
        throw std::bad_alloc();
    return png.data();
}

#if TRIEBWERKE_HAVE_SVG
QByteArray encodeSvg(const ChartImage& image)
{
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        generator.setSize(QSize(image.width, image.height));
        generator.setViewBox(QRectF(0, 0, image.width, image.height));
        generator.setResolution(96);
        generator.setTitle(QStringLiteral("Triebwerke"));
        QPainter painter(&generator);
        paint(image, painter);
    }
    // The generator gives the size in millimetres; the picture is measured in pixels.
    QByteArray text = svg.data();
    static const QRegularExpression size(QStringLiteral(R"(<svg width="[^"]*" height="[^"]*")"));
    const QString header = QString::fromUtf8(text.left(200));
    const QRegularExpressionMatch match = size.match(header);
    if (match.hasMatch())
        text.replace(match.capturedStart(), match.capturedLength(),
                     QStringLiteral("<svg width=\"%1px\" height=\"%2px\"")
                         .arg(image.width)
                         .arg(image.height)
                         .toUtf8());
    return text;
}
#endif

} // namespace

std::string encodeChartImage(const ChartImage& image, ChartFileType type)
{
    const DrawingApplication application;
#if TRIEBWERKE_HAVE_SVG
    const QByteArray bytes = type == ChartFileType::Png ? encodePng(image) : encodeSvg(image);
#else
    // Refused where the command line is read (svgChartsAvailable); never asked for here.
    const QByteArray bytes = type == ChartFileType::Png ? encodePng(image) : QByteArray();
#endif
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

ChartImage chartImage(const ChartRequest& request)
{
    const DrawingApplication application;
    return ChartLayout(request, FontMeasurer()).image();
}

std::string drawChart(const ChartRequest& request, ChartFileType type)
{
    const DrawingApplication application;
    return encodeChartImage(chartImage(request), type);
}

bool svgChartsAvailable()
{
    return TRIEBWERKE_HAVE_SVG != 0;
}
