#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A widget whose whole content is one drawing, its layer. Without a layer it paints nothing of its
// own and lets its parent show through.
class LayerHostingView : public QWidget
{
    Q_OBJECT

public:
    // Draws into the widget's rectangle; the painter's y axis points up unless the view is flipped.
    using Layer = std::function<void(QPainter &painter, const QRectF &bounds)>;

    explicit LayerHostingView(QWidget *parent = nullptr);

    const Layer &layer() const { return m_layer; }
    void setLayer(Layer layer);
    bool wantsLayer() const { return m_wantsLayer; }

    virtual bool isFlipped() const { return false; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Layer m_layer;
    bool m_wantsLayer = false;
};
