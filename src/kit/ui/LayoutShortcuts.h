#pragma once

#include <QMargins>
#include <QRectF>
#include <QSize>

class QWidget;

namespace LayoutShortcuts {

// Keeps `widget` covering `view` less the insets, however `view` moves or resizes afterwards;
// `view` is usually the widget's parent but may be any visible widget. A later call replaces the
// earlier one.
void constrainEdges(QWidget *widget, QWidget *view, const QMargins &insets = {});

// Fixes the widget's size.
void constrainSize(QWidget *widget, const QSize &size);

// A rectangle of the frame's size centred on `center`.
QRectF centeredFrame(const QRectF &frame, const QPointF &center);

} // namespace LayoutShortcuts
