#pragma once

#include "kit/foundation/text/AttributedString.h"
#include "platform/desktop/StatusButtonTitle.h"

// A status button title laid out by the kit's text, so that fixed-width digits
// and a baseline offset reach the button.
class AttributedButtonTitle : public StatusButtonTitle
{
public:
    explicit AttributedButtonTitle(AttributedString string);

    const AttributedString &string() const { return m_string; }

    QString text() const override { return m_string.string(); }
    QSizeF size() const override { return m_string.size(); }
    void draw(QPainter &painter, const QPointF &topLeft) const override { m_string.draw(painter, topLeft); }

private:
    AttributedString m_string;
};
