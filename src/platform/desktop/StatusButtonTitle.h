#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPainter;

// A status button's title as the layer above lays it out: that layer chooses
// the font and how digits are spaced, the button only places the drawing.
class StatusButtonTitle
{
public:
    virtual ~StatusButtonTitle() = default;

    virtual QString text() const = 0;
    // Advance by line height, in points.
    virtual QSizeF size() const = 0;
    // Draws one line with the painter's pen, `topLeft` being the corner of size().
    virtual void draw(QPainter &painter, const QPointF &topLeft) const = 0;
};

// A title in one font, laid out as Qt lays out any text.
class PlainStatusButtonTitle : public StatusButtonTitle
{
public:
    explicit PlainStatusButtonTitle(QString text, QFont font = QFont());

    QString text() const override { return m_text; }
    QSizeF size() const override;
    void draw(QPainter &painter, const QPointF &topLeft) const override;

private:
    QString m_text;
    QFont m_font;
};
