#include "kit/ui/Pasteboard.h"

#include "kit/foundation/system/FoundationHooks.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Marks the content this program put on the clipboard, which alone is read back: reading another
// program's content asks that program, and waits for its answer.
constexpr char writtenHere[] = "tapewickPasteboardItem";

} // namespace

PasteboardItem::PasteboardItem()
    : m_mimeData(std::make_unique<QMimeData>())
{ }

PasteboardItem::~PasteboardItem() = default;
PasteboardItem::PasteboardItem(PasteboardItem &&) noexcept = default;
PasteboardItem &PasteboardItem::operator=(PasteboardItem &&) noexcept = default;

bool PasteboardItem::setUrl(const QUrl &url)
{
    if (url.isEmpty() || !url.isValid()) {
        return false;
    }
    m_mimeData->setUrls({ url });
    if (url.isLocalFile()) {
        m_mimeData->setData(PasteboardType::copiedFiles, "copy\n" + url.toEncoded());
        m_mimeData->setText(url.toLocalFile());
        return true;
    }
    QString text = url.toString(QUrl::FullyEncoded);
    if (text.startsWith(QLatin1String("mailto:"))) {
        text.remove(0, 7);
    }
    m_mimeData->setText(text);
    return true;
}

void PasteboardItem::setString(const QString &text)
{
    m_mimeData->setText(text);
}

void Pasteboard::write(PasteboardItem item, QClipboard *clipboard)
{
    if (!clipboard) {
        clipboard = QGuiApplication::clipboard();
    }
    std::unique_ptr<QMimeData> data = std::move(item.m_mimeData);
    data->setData(PasteboardType::source, FoundationHooks::appIdentifier().toUtf8());
    data->setProperty(writtenHere, true);
    // The clipboard takes ownership.
    clipboard->setMimeData(data.release());
}

bool Pasteboard::copyUrl(const QUrl &url, QClipboard *clipboard)
{
    PasteboardItem item;
    if (!item.setUrl(url)) {
        return false;
    }
    write(std::move(item), clipboard);
    return true;
}

void Pasteboard::copyString(const QString &text, QClipboard *clipboard)
{
    PasteboardItem item;
    item.setString(text);
    write(std::move(item), clipboard);
}

void Pasteboard::whenNoLongerOffered(const QUrl &url, std::function<void()> released, QClipboard *clipboard)
{
    if (!clipboard) {
        clipboard = QGuiApplication::clipboard();
    }
    // Goes with the clipboard, and with it the connection.
    auto *watch = new QObject(clipboard);
    QObject::connect(clipboard, &QClipboard::dataChanged, watch, [clipboard, url, released, watch] {
        // Only content of this program's own can still offer the URL, and it is read here, not
        // from whoever owns the clipboard: a program that never answers would hold the GUI thread.
        const QMimeData *data = clipboard->mimeData();
        if (data && data->property(writtenHere).toBool() && data->urls().contains(url)) {
            return;
        }
        QObject::disconnect(clipboard, nullptr, watch, nullptr);
        watch->deleteLater();
        released();
    });
}
