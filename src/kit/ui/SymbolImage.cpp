#include "kit/ui/SymbolImage.h"

#include "kit/foundation/text/TextFont.h"
#include "kit/ui/DrawnIconEngine.h"

#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcSymbols, "tapewick.ui.symbols")

namespace {

struct Symbol
{
    const char *name;
    // A freedesktop icon of the same meaning, for a drawing that went missing.
    const char *themeName;
};

constexpr Symbol symbols[] = {
    { "mic.fill", "audio-input-microphone" },
    { "record.circle.fill", "media-record" },
    { "record.circle", "media-record" },
    { "smallcircle.circle.fill", nullptr },
    { "waveform.circle.fill", nullptr },
    { "waveform.circle", nullptr },
    { "gearshape", "preferences-system" },
    { "gearshape.2", "preferences-other" },
    { "command", "preferences-desktop-keyboard-shortcuts" },
    { "keyboard", "preferences-desktop-keyboard" },
    { "paintbrush.pointed", "preferences-desktop-theme" },
    { "menubar.rectangle", nullptr },
    { "filemenu.and.selection", nullptr },
    { "bell.badge", "preferences-system-notifications" },
    { "calendar", "x-office-calendar" },
    { "arrow.triangle.branch", nullptr },
    { "globe", "applications-internet" },
    { "sparkles", nullptr },
    { "nosign", "action-unavailable" },
    { "xmark.circle.fill", "edit-clear" },
};

const Symbol *findSymbol(const QString &name)
{
    for (const Symbol &symbol : symbols) {
        if (name == QLatin1String(symbol.name)) {
            return &symbol;
        }
    }
    return nullptr;
}

// How much thicker than regular a weight draws its strokes.
double strokeFactor(QFont::Weight weight)
{
    return std::clamp(
        0.25 + 0.75 * static_cast<double>(weight) / static_cast<double>(QFont::Normal), 0.5, 2.0);
}

// The drawing with its strokes scaled by `factor`; above 1, filled shapes get an outline in
// their own colour so that they grow with the strokes.
QByteArray weighted(QByteArray svg, double factor)
{
    if (factor == 1.0) {
        return svg;
    }
    static const QRegularExpression strokeWidth(QStringLiteral("stroke-width=\"([0-9.]+)\""));
    QString text = QString::fromUtf8(svg);
    QString result;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &match : strokeWidth.globalMatch(text)) {
        result += text.mid(last, match.capturedStart() - last);
        result += QStringLiteral("stroke-width=\"%1\"").arg(match.captured(1).toDouble() * factor);
        last = match.capturedEnd();
    }
    result += text.mid(last);
    if (factor > 1.0) {
        // The filled shapes are drawn 24 units wide; their outline adds as much as the strokes grew.
        const QString outline
            = QStringLiteral("fill=\"#000\" stroke=\"#000\" stroke-linejoin=\"round\" stroke-width=\"%1\"")
                  .arg((factor - 1.0) * 1.8);
        static const QRegularExpression filledWithoutStroke(QStringLiteral("fill=\"#000\"(?![^>]*stroke=)"));
        result.replace(filledWithoutStroke, outline);
    }
    return result.toUtf8();
}

// Parsed once per symbol and weight; icons share the renderer.
std::shared_ptr<QSvgRenderer> rendererFor(const QString &name, QFont::Weight weight = QFont::Normal)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    const QString key = QStringLiteral("%1@%2").arg(name).arg(int(weight));
    if (const auto found = cache.constFind(key); found != cache.cend()) {
        return *found;
    }
    const QString path = QStringLiteral(":/tapewick/symbols/%1.svg").arg(name);
    std::shared_ptr<QSvgRenderer> renderer;
    if (QFile file(path); file.open(QIODevice::ReadOnly)) {
        renderer = std::make_shared<QSvgRenderer>(weighted(file.readAll(), strokeFactor(weight)));
        if (!renderer->isValid()) {
            qCWarning(lcSymbols) << "Symbol drawing is not valid SVG:" << path;
            renderer.reset();
        }
    }
    cache.insert(key, renderer);
    return renderer;
}

} // namespace

namespace SymbolImage {

std::optional<QIcon> systemSymbol(const QString &name, std::optional<qreal> pointSize)
{
    return systemSymbol(name, pointSize, QFont::Normal);
}

std::optional<QIcon> systemSymbol(const QString &name, std::optional<qreal> pointSize, QFont::Weight weight,
    std::optional<Scale> scale, std::optional<double>)
{
    const Symbol *symbol = findSymbol(name);
    if (!symbol) {
        return std::nullopt;
    }
    constexpr qreal scaleFactors[] = { 0.8, 1.0, 1.25 };
    const qreal points = (pointSize.value_or(0) > 0 ? *pointSize : TextFont::systemFontSize())
        * scaleFactors[static_cast<int>(scale.value_or(Scale::medium))];
    const int extent = qMax(1, qRound(points));
    const QSize naturalSize(extent, extent);

    if (std::shared_ptr<QSvgRenderer> renderer = rendererFor(name, weight)) {
        auto draw = [renderer](QPainter &painter, const QRectF &rect) {
            // Fit the drawing's square into the rectangle without distorting it.
            const qreal side = qMin(rect.width(), rect.height());
            const QRectF square(rect.center() - QPointF(side, side) / 2, QSizeF(side, side));
            renderer->render(&painter, square);
        };
        QIcon icon(new DrawnIconEngine(naturalSize, std::move(draw), true));
        icon.setIsMask(true);
        return icon;
    }
    if (symbol->themeName) {
        QIcon themed = QIcon::fromTheme(QLatin1String(symbol->themeName));
        if (!themed.isNull()) {
            return themed;
        }
    }
    qCWarning(lcSymbols) << "No drawing for symbol" << name;
    return std::nullopt;
}

QStringList names()
{
    QStringList result;
    for (const Symbol &symbol : symbols) {
        result.append(QLatin1String(symbol.name));
    }
    return result;
}

QIcon asTemplate(const QIcon &icon, QSize naturalSize, const QString &themeName)
{
    auto draw = [icon](QPainter &painter, const QRectF &rect) { icon.paint(&painter, rect.toAlignedRect()); };
    QIcon result(new DrawnIconEngine(naturalSize, std::move(draw), true, themeName));
    result.setIsMask(true);
    return result;
}

QPixmap tinted(const QPixmap &pixmap, const QColor &color)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    return QPixmap::fromImage(image);
}

} // namespace SymbolImage
