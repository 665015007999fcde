#include "StatusNotifierPanel.h"

#include "PanelPicture.h"
#include "StatusNotifierItem.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTimer>

namespace {

constexpr int stripHeight = 48;

// A strip of the panel showing one item: its icon, and its label beside it.
QImage strip(const QImage &icon, const QString &label, const TestSupport::PanelColours &colours)
{
    QFont font;
    font.setPixelSize(stripHeight * 13 / 24);
    const int labelWidth = label.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(label) + 6;
    QImage strip(stripHeight * 2 + labelWidth, stripHeight, QImage::Format_RGB32);
    strip.fill(colours.background);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(stripHeight / 2, 1, stripHeight - 2, stripHeight - 2), icon);
    painter.setFont(font);
    painter.setPen(colours.text);
    painter.drawText(QRect(stripHeight * 3 / 2 + 2, 0, labelWidth, stripHeight), Qt::AlignVCenter, label);
    return strip;
}

} // namespace

StatusNotifierPanel::StatusNotifierPanel(QDBusConnection bus, QString pictureFile, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_pictureFile(std::move(pictureFile))
    , m_pictureWriter(new QObject)
{
    m_pictureThread.setObjectName(QLatin1String(pictureThreadName));
    m_pictureWriter->moveToThread(&m_pictureThread);
    connect(&m_pictureThread, &QThread::finished, m_pictureWriter, &QObject::deleteLater);
    m_pictureThread.start();
}

StatusNotifierPanel::~StatusNotifierPanel()
{
    m_pictureThread.quit();
    m_pictureThread.wait();
}

void StatusNotifierPanel::add(const QString &item)
{
    const TestSupport::StatusNotifierItem shown = TestSupport::StatusNotifierItem::at(item);
    for (const char *signal : { "NewIcon", "XAyatanaNewLabel" }) {
        m_bus.connect(shown.service(), shown.path(), QStringLiteral("org.kde.StatusNotifierItem"),
            QLatin1String(signal), this, SLOT(itemChanged()));
    }
    m_items.append(item);
    itemChanged();
}

void StatusNotifierPanel::remove(const QString &item)
{
    m_items.removeAll(item);
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
    if (m_pictureFile.isEmpty() || m_items.isEmpty()) {
        return;
    }
    QList<QImage> strips;
    int width = 0;
    for (const QString &name : std::as_const(m_items)) {
        // Each property read once, as a panel does, for both colours.
        const TestSupport::StatusNotifierItem item = TestSupport::StatusNotifierItem::at(name);
        const QString iconName = item.iconName();
        const QString themeFile = QDir(item.iconThemePath())
                                      .filePath(QStringLiteral("hicolor/symbolic/apps/%1.svg").arg(iconName));
        const bool byName = !iconName.isEmpty() && QFileInfo(themeFile).isFile();
        const QImage picture = byName ? QImage() : item.icon();
        const QString label = item.label();
        for (const TestSupport::PanelColours &colours : { TestSupport::darkPanel, TestSupport::lightPanel }) {
            const QImage icon
                = byName ? TestSupport::symbolicIcon(themeFile, stripHeight - 4, colours.text) : picture;
            strips.append(strip(icon, label, colours));
            width = std::max(width, strips.constLast().width());
        }
    }
    QImage panel(width, stripHeight * int(strips.size()), QImage::Format_RGB32);
    panel.fill(Qt::gray);
    QPainter painter(&panel);
    for (qsizetype at = 0; at < strips.size(); ++at) {
        painter.drawImage(0, stripHeight * int(at), strips.at(at));
    }
    painter.end();
    QMetaObject::invokeMethod(m_pictureWriter, [panel, file = m_pictureFile] {
        // Whole or not at all, for whoever looks at it meanwhile.
        panel.save(file + QStringLiteral(".tmp.png"));
        QFile::remove(file);
        QFile::rename(file + QStringLiteral(".tmp.png"), file);
    });
}
