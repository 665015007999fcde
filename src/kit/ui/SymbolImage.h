#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

#include <optional>

class QColor;
class QPixmap;

#include <QFont>

// Named monochrome symbols drawn for this program, shipped as SVG in the
// program's resources. They are mask icons: painted in the text colour of the
// palette (or any tint) rather than in colours of their own.
namespace SymbolImage {

// The symbol of that name at `pointSize` (the application's font size when none),
// or nothing for an unknown name or one whose drawing is missing; a freedesktop
// theme icon of the same meaning stands in where our drawing is missing.
std::optional<QIcon> systemSymbol(const QString &name, std::optional<qreal> pointSize = std::nullopt);

// How large a symbol is beside text of its point size.
enum class Scale { small, medium, large };

// The symbol drawn with strokes of `weight` (heavier weights also thicken filled shapes; a
// filled shape cannot be drawn lighter than it is) and sized by `scale`. A variable value
// (0 to 1) fills in the parts of a symbol that show a level; a symbol without such parts, as
// all of ours are, ignores it.
std::optional<QIcon> systemSymbol(const QString &name, std::optional<qreal> pointSize, QFont::Weight weight,
    std::optional<Scale> scale = std::nullopt, std::optional<double> variableValue = std::nullopt);

// Every symbol name that has a drawing.
QStringList names();

// The same picture as a mask icon: its shapes painted in the tint of the mode. `themeName`
// names the same drawing in an icon theme, for those that can take an icon by name (QIcon::name).
QIcon asTemplate(const QIcon &icon, QSize naturalSize, const QString &themeName = {});

// The pixmap with every painted pixel in `color`, its coverage kept.
QPixmap tinted(const QPixmap &pixmap, const QColor &color);

} // namespace SymbolImage
