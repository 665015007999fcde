#include "kit/ui/LayerHostingView.h"

#include <QPainter>

LayerHostingView::LayerHostingView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void LayerHostingView::setLayer(Layer layer)
{
    m_layer = std::move(layer);
    m_wantsLayer = static_cast<bool>(m_layer);
    update();
}

void LayerHostingView::paintEvent(QPaintEvent *)
{
    if (!m_layer) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isFlipped()) {
        painter.translate(0, height());
        painter.scale(1, -1);
    }
    m_layer(painter, QRectF(rect()));
}
