#include "platform/desktop/StatusPictures.h"

#include "platform/desktop/StatusBarButton.h"

#include <cstdlib>

StatusPictures::StatusPictures(std::chrono::milliseconds minimumInterval)
    : m_minimumInterval(minimumInterval)
{ }

bool StatusPictures::looksAlike(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.devicePixelRatio() != b.devicePixelRatio()) {
        return false;
    }
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < left.height(); ++y) {
        const auto *one = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *other = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            if (one[x] == other[x]) {
                continue;
            }
            if (std::abs(qAlpha(one[x]) - qAlpha(other[x])) > tolerance
                || std::abs(qRed(one[x]) - qRed(other[x])) > tolerance
                || std::abs(qGreen(one[x]) - qGreen(other[x])) > tolerance
                || std::abs(qBlue(one[x]) - qBlue(other[x])) > tolerance) {
                return false;
            }
        }
    }
    return true;
}

StatusPictures::Outcome StatusPictures::update(const StatusBarButton &button, const Style &style,
    const Draw &draw, Clock::time_point now, bool withOtherChange)
{
    const qint64 image = button.image().cacheKey();
    const bool disabled = button.appearsDisabled();
    if (!m_shown.isEmpty() && image == m_drawnImage && disabled == m_drawnDisabled && style == m_drawnStyle) {
        return Outcome::unchanged;
    }
    // Not drawn while held: the look of the moment it is let go is the one that counts.
    if (!m_shown.isEmpty() && !withOtherChange && now < heldUntil()) {
        return Outcome::held;
    }
    m_drawnImage = image;
    m_drawnDisabled = disabled;
    m_drawnStyle = style;
    QList<QImage> pictures;
    for (const int size : style.pixelSizes) {
        pictures.append(draw(size));
        if (pictures.size() == 1 && style.pixelSizes == m_shownSizes
            && looksAlike(pictures.constFirst(), m_shown.constFirst())) {
            return Outcome::unchanged;
        }
    }
    m_shown = std::move(pictures);
    m_shownSizes = style.pixelSizes;
    m_taken = now;
    return Outcome::taken;
}
