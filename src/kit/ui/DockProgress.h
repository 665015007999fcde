#pragma once

#include <QColor>
#include <QIcon>
#include <QPointer>

#include <functional>
#include <optional>
#include <variant>

class Progress;
class QPainter;
class QSystemTrayIcon;

// Shows the progress of a long task on the application's icon: the window icon (and the tray
// icons handed to it) get a progress overlay in one of five styles, and launchers and docks are
// told the fraction over the session bus. Fractions from 0 up to (not including) 1 show the
// overlay; anything else shows the plain icon. GUI thread.
class DockProgress
{
public:
    // A soft-cornered ring inside the icon, further in by `inset`.
    struct Squircle
    {
        std::optional<double> inset;
        QColor color;
    };
    // A ring of `radius` around the icon's centre.
    struct Circle
    {
        double radius = 0;
        QColor color;
    };
    // A numbered badge with a ring in the lower right corner.
    struct Badge
    {
        QColor color;
        std::function<int()> badgeValue;
    };
    // The caller's own drawing over the icon; the painter's y axis points up.
    struct Custom
    {
        std::function<void(QPainter &painter, const QRectF &rect)> drawHandler;
    };
    // A bar along the bottom.
    struct Bar
    {
    };
    using Style = std::variant<Squircle, Circle, Badge, Custom, Bar>;

    // The icon is drawn at this many pixels square.
    static constexpr int tileSize = 128;

    static double progress();
    // Redraws when the shown fraction moves by more than 0.01 (or from 0).
    static void setProgress(double progress);
    // Shows 0 and redraws whatever was shown before.
    static void resetProgress();

    // Follows the fraction of a progress object until it finishes (then shows the plain icon) or
    // is cancelled (then leaves what is shown). Null stops following and resets.
    static Progress *progressInstance();
    static void setProgressInstance(Progress *progress);

    // Takes effect on the next redraw.
    static const Style &style();
    static void setStyle(Style style);

    // A tray icon that shows the overlay on its own image too, until it is destroyed.
    static void addTrayIcon(QSystemTrayIcon *trayIcon);

    // The plain icon with the overlay for `progress` in `style`, or the plain icon itself when
    // the progress shows none.
    static QIcon drawTile(const QIcon &plain, double progress, const Style &style);
    // "7", "-12", "1k" for 1999, "9k+" beyond 9999.
    static QString badgeText(int value);
};
