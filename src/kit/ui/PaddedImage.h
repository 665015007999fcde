#pragma once

#include <QIcon>
#include <QMargins>

// The icon with room around it: larger by the margins, the icon drawn at full opacity inside
// them. A mask icon stays one, tinted when the padded icon is drawn.
QIcon paddedImage(const QIcon &icon, const QMarginsF &margins);
