#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

#include <optional>

class QColor;
class QPixmap;

// Named monochrome symbols drawn for this program, shipped as SVG in the
// program's resources. They are mask icons: painted in the text colour of the
// palette (or any tint) rather than in colours of their own.
namespace SymbolImage {

// The symbol of that name at `pointSize` (the application's font size when none),
// or nothing for an unknown name or one whose drawing is missing; a freedesktop
// theme icon of the same meaning stands in where our drawing is missing.
std::optional<QIcon> systemSymbol(const QString &name, std::optional<qreal> pointSize = std::nullopt);

// Every symbol name that has a drawing.
QStringList names();

// The same picture as a mask icon: its shapes painted in the tint of the mode.
QIcon asTemplate(const QIcon &icon, QSize naturalSize);

// The pixmap with every painted pixel in `color`, its coverage kept.
QPixmap tinted(const QPixmap &pixmap, const QColor &color);

} // namespace SymbolImage
