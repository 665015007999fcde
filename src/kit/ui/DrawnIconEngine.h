#pragma once

#include <QIconEngine>

#include <functional>

// An icon drawn on demand at whatever size it is asked for, so it stays sharp at
// any scale. A mask icon is drawn in black and tinted at paint time with the
// palette's text colour for its mode, as monochrome symbols should be.
class DrawnIconEngine : public QIconEngine
{
public:
    using Draw = std::function<void(QPainter &painter, const QRectF &rect)>;

    // `name` is the icon's name in an icon theme that has the same drawing, if any.
    DrawnIconEngine(QSize naturalSize, Draw draw, bool mask, QString name = {});

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override { return false; }
    QString iconName() override { return m_name; }

    static QColor tintFor(QIcon::Mode mode);

private:
    QImage render(const QSize &pixelSize, qreal scale, QIcon::Mode mode) const;

    QSize m_naturalSize;
    Draw m_draw;
    bool m_mask;
    QString m_name;
};
