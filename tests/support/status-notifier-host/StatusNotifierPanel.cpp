#include "StatusNotifierPanel.h"

#include "PanelPicture.h"
#include "StatusNotifierItem.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

QString themeIcon(const QString &themePath, const QString &name)
{
    for (const QString &folder :
        { QStringLiteral("hicolor/symbolic/apps"), QStringLiteral("hicolor/scalable/apps") }) {
        const QString file = QDir(themePath).filePath(folder + u'/' + name + QStringLiteral(".svg"));
        if (!name.isEmpty() && QFileInfo(file).isFile()) {
            return file;
        }
    }
    return {};
}

} // namespace

StatusNotifierPanel::StatusNotifierPanel(QDBusConnection bus, QString pictureFile, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_pictureFile(std::move(pictureFile))
{ }

void StatusNotifierPanel::add(const QString &item)
{
    const qsizetype slash = item.indexOf(u'/');
    for (const char *signal : { "NewIcon", "NewToolTip", "XAyatanaNewLabel", "NewStatus" }) {
        m_bus.connect(item.left(slash), item.mid(slash), QStringLiteral("org.kde.StatusNotifierItem"),
            QLatin1String(signal), this, SLOT(itemChanged()));
    }
    m_items.append(item);
    itemChanged();
}

void StatusNotifierPanel::remove(const QString &item)
{
    m_items.removeAll(item);
    m_shown.remove(item);
    itemChanged();
}

void StatusNotifierPanel::itemChanged()
{
    // An item that changes ten times a second is drawn a few times a second.
    if (!m_drawScheduled) {
        m_drawScheduled = true;
        QTimer::singleShot(200, this, &StatusNotifierPanel::draw);
    }
}

void StatusNotifierPanel::draw()
{
    m_drawScheduled = false;
    QList<QImage> strips;
    for (const QString &name : std::as_const(m_items)) {
        const TestSupport::StatusNotifierItem item = TestSupport::StatusNotifierItem::at(name);
        const QString iconFile = themeIcon(item.iconThemePath(), item.iconName());
        const QImage picture = item.icon();
        const QString label = item.label();
        QString shown = QStringLiteral("label \"%1\", guide \"%2\"; ").arg(label, item.labelGuide());
        if (!iconFile.isEmpty()) {
            shown += QStringLiteral("icon by name %1").arg(item.iconName());
        } else {
            const int covered = TestSupport::coveredPixels(picture);
            shown += QStringLiteral(
                "icon picture %1 px, %2 of %3 covered pixels stand out on a dark panel, %4 on a light one")
                         .arg(picture.width())
                         .arg(TestSupport::pixelsStandingOut(picture, TestSupport::darkPanel.background))
                         .arg(covered)
                         .arg(TestSupport::pixelsStandingOut(picture, TestSupport::lightPanel.background));
        }
        if (m_shown.value(name) != shown) {
            m_shown.insert(name, shown);
            say(QStringLiteral("Shows %1: %2").arg(name, shown));
        }
        for (const TestSupport::PanelColours &colours : { TestSupport::darkPanel, TestSupport::lightPanel }) {
            const QImage icon
                = iconFile.isEmpty() ? picture : TestSupport::symbolicIcon(iconFile, 44, colours.text);
            strips.append(TestSupport::panelStrip(icon, label, colours, 48));
        }
    }
    if (m_pictureFile.isEmpty() || strips.isEmpty()) {
        return;
    }
    int width = 0;
    int height = 0;
    for (const QImage &strip : std::as_const(strips)) {
        width = std::max(width, strip.width());
        height += strip.height();
    }
    QImage panel(width, height, QImage::Format_RGB32);
    panel.fill(Qt::gray);
    QPainter painter(&panel);
    int y = 0;
    for (const QImage &strip : std::as_const(strips)) {
        painter.drawImage(0, y, strip);
        y += strip.height();
    }
    painter.end();
    panel.save(m_pictureFile + QStringLiteral(".tmp.png"));
    QFile::remove(m_pictureFile);
    QFile::rename(m_pictureFile + QStringLiteral(".tmp.png"), m_pictureFile);
}
