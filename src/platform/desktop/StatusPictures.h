#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include <chrono>
#include <functional>

class StatusBarButton;

// The pictures a status item last gave its panel of the button's image, one for each size the
// panel may use. While recording, the input level moves the image's tint up to ten times a second,
// mostly by steps too small to see: new pictures are taken only when they would look different
// from the shown ones, and are not drawn at all when nothing they are drawn from changed (a
// change of the title alone). Where each new picture costs the desktop a round of reading the item
// over the bus, they may also be paced: at most one change every `minimumInterval` on its own.
class StatusPictures
{
public:
    using Clock = std::chrono::steady_clock;

    // What the pictures are drawn with besides the button.
    struct Style
    {
        // Smallest first: it is drawn first, and alone when it looks as before.
        QList<int> pixelSizes;
        qreal devicePixelRatio = 1.0;
        // The colours templates and outlines are drawn in.
        QList<QRgb> colors;
        friend bool operator==(const Style &, const Style &) = default;
    };
    // One picture `pixelSize` pixels wide of the button as it is now.
    using Draw = std::function<QImage(int pixelSize)>;

    enum class Outcome {
        // The shown pictures still stand: nothing they are drawn from changed, or the new ones
        // would look alike.
        unchanged,
        taken,
        // Something changed too soon after the last pictures were taken; nothing was drawn. Call
        // again at `heldUntil()`: the look of that moment is taken then, if it still differs.
        held,
    };

    // How far a premultiplied channel of a pixel may move and still look the same: about 1 % of
    // its range, near the smallest step of colour eyes tell apart in a large field side by side,
    // and below it in a panel's small square from one moment to the next. The level's full swing
    // moves a channel of the tint by some fifty steps.
    static constexpr int tolerance = 3;

    explicit StatusPictures(std::chrono::milliseconds minimumInterval = {});

    // Whether `a` and `b` would look alike on a panel: of one size and density, and no channel of
    // any premultiplied pixel further apart than `tolerance`.
    static bool looksAlike(const QImage &a, const QImage &b);

    // Draws the button's pictures again when it or `style` changed since the last call, and takes
    // them when they look different from the shown ones. The comparison is with the pictures
    // shown, not the last drawn, so a slow drift still shows once it adds up. The sizes are one
    // drawing at several scales: when the smallest looks as shown, the others are not drawn.
    // A change within the minimum interval of the last pictures taken is held, unless
    // `withOtherChange`: the panel hears of another change of the item now and reads it anew
    // anyway, pictures included. The first pictures are never held.
    Outcome update(const StatusBarButton &button, const Style &style, const Draw &draw,
        Clock::time_point now = Clock::now(), bool withOtherChange = false);

    const QList<QImage> &shown() const { return m_shown; }
    // When a held change may be taken.
    Clock::time_point heldUntil() const { return m_taken + m_minimumInterval; }

private:
    std::chrono::milliseconds m_minimumInterval;
    QList<QImage> m_shown;
    QList<int> m_shownSizes;
    Clock::time_point m_taken;
    // What the last drawing was made from: the image (by its cache key), its dimming, the style.
    qint64 m_drawnImage = 0;
    bool m_drawnDisabled = false;
    Style m_drawnStyle;
};
