#include "kit/ui/DockProgress.h"

#include "platform/events/MainThread.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/Progress.h"
#include "kit/ui/ProgressShape.h"
#include "kit/ui/VerticallyCenteredText.h"
#include "platform/desktop/LauncherEntry.h"

#include <QApplication>
#include <QPainter>
#include <QSystemTrayIcon>

#include <cmath>
#include <cstdlib>

namespace {

// An icon that shows the tile: what it showed before the first overlay is its plain image, and
// a change made by someone else since becomes the new plain image.
struct TileIcon
{
    QIcon plain;
    qint64 shownKey = -1;

    std::optional<QIcon> tileFor(const QIcon &current, double progress, const DockProgress::Style &style)
    {
        if (current.cacheKey() != shownKey) {
            plain = current;
        }
        if (plain.isNull()) {
            return std::nullopt;
        }
        QIcon tile = DockProgress::drawTile(plain, progress, style);
        shownKey = tile.cacheKey();
        return tile;
    }
};

struct TrayTile
{
    QPointer<QSystemTrayIcon> trayIcon;
    TileIcon icon;
};

struct State
{
    double progress = 0;
    double lastDrawnProgress = 0;
    DockProgress::Style style = DockProgress::Bar {};
    QPointer<Progress> progressInstance;
    QMetaObject::Connection fractionObservation;
    QMetaObject::Connection finishedObservation;
    TileIcon windowIcon;
    std::vector<TrayTile> trayIcons;
};

State &state()
{
    static State instance;
    return instance;
}

bool showsOverlay(double progress)
{
    return progress >= 0 && progress < 1;
}

QString desktopId()
{
    const QString name = QGuiApplication::desktopFileName();
    return name.isEmpty() ? FoundationHooks::appIdentifier() : name;
}

void updateDockIcon()
{
    // An application without an icon has no tile to draw on: its tray icons and its launcher
    // entry are left alone too.
    if (QGuiApplication::windowIcon().isNull()) {
        return;
    }
    State &s = state();
    if (auto tile = s.windowIcon.tileFor(QGuiApplication::windowIcon(), s.progress, s.style)) {
        QGuiApplication::setWindowIcon(*tile);
    }
    std::erase_if(s.trayIcons, [](const TrayTile &tray) { return !tray.trayIcon; });
    for (TrayTile &tray : s.trayIcons) {
        if (auto tile = tray.icon.tileFor(tray.trayIcon->icon(), s.progress, s.style)) {
            tray.trayIcon->setIcon(*tile);
        }
    }
    const bool visible = showsOverlay(s.progress);
    LauncherEntry::updateProgress(desktopId(), visible ? s.progress : 0.0, visible);
}

QColor genericRgb(double red, double green, double blue)
{
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue));
}

void fillRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, color);
}

void drawBar(QPainter &painter, const QRectF &rect, double progress)
{
    const QRectF track(0, 20, rect.width(), 10);
    fillRounded(painter, track, 5, QColor::fromRgbF(1, 1, 1, 0.8f));
    const QRectF well = track.adjusted(0.5, 0.5, -0.5, -0.5);
    fillRounded(painter, well, well.height() / 2, QColor::fromRgbF(0, 0, 0, 0.8f));
    QRectF fill = track.adjusted(1, 1, -1, -1);
    fill.setWidth(fill.width() * progress);
    fillRounded(painter, fill, fill.height() / 2, Qt::white);
}

void drawBadge(QPainter &painter, const QRectF &rect, double progress, const DockProgress::Badge &badge)
{
    const int value = badge.badgeValue ? badge.badgeValue() : 0;
    const qreal radius = rect.width() / 4.8;
    const QPointF center(rect.right() - radius - 4.0, rect.top() + radius + 4.0);

    ProgressShape background = ProgressShape::circle(radius, center);
    background.fillColor = genericRgb(0.94, 0.96, 1.0);
    painter.save();
    painter.translate(-1.0, 1.0);
    painter.fillPath(background.path, QColor::fromRgbF(0, 0, 0, 0.3f));
    painter.restore();
    background.draw(painter);

    ProgressShape ring = ProgressShape::circle(radius - 3.0, center);
    ring.strokeColor = badge.color;
    ring.lineWidth = 6.0;
    ring.lineCap = Qt::FlatCap;
    ring.strokeEnd = progress;
    ring.draw(painter);

    const QString text = DockProgress::badgeText(value);
    static const int fontSizes[] = { 30, 30, 23, 19, 15 };
    QFont font(QStringLiteral("Helvetica Neue"));
    font.setBold(true);
    font.setPixelSize(fontSizes[std::min<qsizetype>(text.size(), 4)]);
    const qreal side = background.bounds().height() - 5.0;
    const QRectF textRect(center - QPointF(side / 2, side / 2), QSizeF(side, side));
    // Text reads upright: flip the y axis back within the text's own box.
    painter.save();
    painter.translate(0, textRect.top() + textRect.bottom());
    painter.scale(1, -1);
    drawVerticallyCenteredText(painter, textRect, text, font, genericRgb(0.23, 0.23, 0.24));
    painter.restore();
}

template<class... Ts>
struct Overloaded : Ts...
{
    using Ts::operator()...;
};

} // namespace

double DockProgress::progress()
{
    return state().progress;
}

void DockProgress::setProgress(double progress)
{
    ASSERT_MAIN_THREAD();
    State &s = state();
    s.progress = progress;
    if (s.lastDrawnProgress == 0 || std::abs(progress - s.lastDrawnProgress) > 0.01) {
        s.lastDrawnProgress = progress;
        updateDockIcon();
    }
}

void DockProgress::resetProgress()
{
    ASSERT_MAIN_THREAD();
    setProgress(0);
    state().lastDrawnProgress = 0;
    updateDockIcon();
}

Progress *DockProgress::progressInstance()
{
    ASSERT_MAIN_THREAD();
    return state().progressInstance;
}

void DockProgress::setProgressInstance(Progress *progress)
{
    ASSERT_MAIN_THREAD();
    State &s = state();
    QObject::disconnect(s.fractionObservation);
    QObject::disconnect(s.finishedObservation);
    s.progressInstance = progress;
    if (!progress) {
        resetProgress();
        return;
    }
    // Changes may come from any thread; they are acted on later on the GUI thread.
    QPointer<Progress> watched(progress);
    s.fractionObservation = QObject::connect(
        progress, &Progress::fractionCompletedChanged, qApp,
        [watched] {
            if (watched && !watched->isCancelled() && !watched->isFinished()) {
                setProgress(watched->fractionCompleted());
            }
        },
        Qt::QueuedConnection);
    s.finishedObservation = QObject::connect(
        progress, &Progress::finishedChanged, qApp,
        [watched] {
            if (watched && !watched->isCancelled() && watched->isFinished()) {
                setProgress(1.0);
            }
        },
        Qt::QueuedConnection);
}

const DockProgress::Style &DockProgress::style()
{
    return state().style;
}

void DockProgress::setStyle(Style style)
{
    ASSERT_MAIN_THREAD();
    state().style = std::move(style);
}

void DockProgress::addTrayIcon(QSystemTrayIcon *trayIcon)
{
    ASSERT_MAIN_THREAD();
    state().trayIcons.push_back({ trayIcon, {} });
}

QIcon DockProgress::drawTile(const QIcon &plain, double progress, const Style &style)
{
    if (!showsOverlay(progress)) {
        return plain;
    }
    const QRectF rect(0, 0, tileSize, tileSize);
    QImage tile(tileSize, tileSize, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect.toRect(), plain.pixmap(tileSize, tileSize));
    // The overlays are laid out from the bottom left corner upwards.
    painter.translate(0, tileSize);
    painter.scale(1, -1);
    std::visit(Overloaded {
                   [&](const Squircle &squircle) {
                       QRectF inner = rect.adjusted(14.4, 14.4, -14.4, -14.4);
                       if (squircle.inset) {
                           inner.adjust(*squircle.inset, *squircle.inset, -*squircle.inset, -*squircle.inset);
                       }
                       ProgressShape ring = ProgressShape::squircle(inner);
                       ring.strokeColor = squircle.color;
                       ring.lineWidth = 5.0;
                       ring.strokeEnd = progress * 1.02;
                       ring.draw(painter);
                   },
                   [&](const Circle &circle) {
                       ProgressShape ring = ProgressShape::circle(circle.radius, rect.center());
                       ring.strokeColor = circle.color;
                       ring.lineWidth = 4.0;
                       ring.strokeEnd = progress;
                       ring.draw(painter);
                   },
                   [&](const Badge &badge) { drawBadge(painter, rect, progress, badge); },
                   [&](const Custom &custom) {
                       if (custom.drawHandler) {
                           custom.drawHandler(painter, rect);
                       }
                   },
                   [&](const Bar &) { drawBar(painter, rect, progress); },
               },
        style);
    painter.end();
    return QIcon(QPixmap::fromImage(tile));
}

QString DockProgress::badgeText(int value)
{
    const qint64 magnitude = std::abs(static_cast<qint64>(value));
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    if (magnitude <= 999) {
        return QString::number(value);
    }
    if (magnitude <= 9999) {
        return sign + QString::number(magnitude / 1000) + u'k';
    }
    return sign + QStringLiteral("9k+");
}
