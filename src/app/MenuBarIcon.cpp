#include "app/MenuBarIcon.h"

#include "app/AppIdentity.h"
#include "kit/foundation/errors/ProgrammingError.h"
#include "kit/ui/CircleImage.h"
#include "kit/ui/SymbolImage.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace {

struct IconInfo
{
    const char *rawValue;
    // None for the drawn circle.
    const char *symbolName;
};

constexpr std::array<IconInfo, MenuBarIcons::allCases.size()> infos { {
    { "microphone", "mic.fill" },
    { "circle", nullptr },
    { "record", "record.circle.fill" },
    { "record2", "record.circle" },
    { "record3", "smallcircle.circle.fill" },
    { "waveform", "waveform.circle.fill" },
    { "waveform2", "waveform.circle" },
} };

constexpr qreal symbolPointSize = 14;
constexpr qreal circleDiameter = 13;

const IconInfo &infoOf(MenuBarIcon icon)
{
    return infos[static_cast<std::size_t>(icon)];
}

QIcon makeImage(MenuBarIcon icon)
{
    const IconInfo &info = infoOf(icon);
    const QString themeName = MenuBarIcons::themeName(icon);
    if (!info.symbolName) {
        const QSize natural(qRound(circleDiameter), qRound(circleDiameter));
        return SymbolImage::asTemplate(circleImage(Qt::black, circleDiameter, 0), natural, themeName);
    }
    std::optional<QIcon> symbol = SymbolImage::systemSymbol(QLatin1String(info.symbolName), symbolPointSize);
    if (!symbol) {
        stopForProgrammingError(
            QStringLiteral("Missing menu bar symbol %1").arg(QLatin1String(info.symbolName)));
    }
    return SymbolImage::asTemplate(*symbol, symbol->availableSizes().value(0), themeName);
}

} // namespace

namespace MenuBarIcons {

std::string rawValue(MenuBarIcon icon)
{
    return infoOf(icon).rawValue;
}

std::optional<MenuBarIcon> fromRawValue(const std::string &raw)
{
    for (MenuBarIcon icon : allCases) {
        if (raw == infoOf(icon).rawValue) {
            return icon;
        }
    }
    return std::nullopt;
}

const QIcon &image(MenuBarIcon icon)
{
    static std::array<std::once_flag, allCases.size()> built;
    static std::array<QIcon, allCases.size()> images;
    const auto index = static_cast<std::size_t>(icon);
    std::call_once(built[index], [&] { images[index] = makeImage(icon); });
    return images[index];
}

QString themeName(MenuBarIcon icon)
{
    return QStringLiteral("%1-%2-symbolic")
        .arg(QLatin1String(AppIdentity::identifier), QLatin1String(infoOf(icon).rawValue));
}

QString themePath(const QString &programDirectory)
{
    const QString file = QStringLiteral("hicolor/symbolic/apps/") + themeName(MenuBarIcon::microphone)
        + QStringLiteral(".svg");
    for (const QString &folder : { QDir(programDirectory).filePath(QStringLiteral("icons")),
             QDir::cleanPath(
                 QDir(programDirectory).filePath(QStringLiteral(TAPEWICK_DATA_FROM_BIN "/../icons"))) }) {
        if (QFileInfo(QDir(folder).filePath(file)).isFile()) {
            return folder;
        }
    }
    return {};
}

} // namespace MenuBarIcons
