#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QClipboard;
class QMimeData;

namespace PasteboardType {
// Marks content as copied by this application; the value is its identifier.
inline constexpr char source[] = "org.nspasteboard.source";
inline constexpr char fileUrl[] = "text/uri-list";
inline constexpr char string[] = "text/plain";
// File managers paste files only from their own copied-files type.
inline constexpr char copiedFiles[] = "x-special/gnome-copied-files";
} // namespace PasteboardType

// One item of content under construction; it reaches the clipboard only through
// Pasteboard::write, so the clipboard changes once per copy.
class PasteboardItem
{
public:
    PasteboardItem();
    ~PasteboardItem();
    PasteboardItem(PasteboardItem &&) noexcept;
    PasteboardItem &operator=(PasteboardItem &&) noexcept;

    // A file location goes under the file-URL type (percent-encoded) and the
    // copied-files type, its path as text; any other URL goes under the URL type,
    // its text without a leading "mailto:". False, with nothing written, for an
    // empty or invalid URL.
    bool setUrl(const QUrl &url);
    void setString(const QString &text);

    const QMimeData &mimeData() const { return *m_mimeData; }

private:
    friend class Pasteboard;
    std::unique_ptr<QMimeData> m_mimeData;
};

class Pasteboard
{
public:
    class SimpleObservable;

    // Replaces the clipboard's content with the item and the source marker, in one write.
    static void write(PasteboardItem item, QClipboard *clipboard = nullptr);
    // False, with the clipboard left as it was, when the URL cannot be written.
    static bool copyUrl(const QUrl &url, QClipboard *clipboard = nullptr);
    static void copyString(const QString &text, QClipboard *clipboard = nullptr);

    // Calls `released` once, at the first change after which the clipboard no longer offers the
    // URL: other content of this program's took its place, or anything of another program's,
    // which is not read. Never when the clipboard goes first, as the program ends. GUI thread.
    static void whenNoLongerOffered(
        const QUrl &url, std::function<void()> released, QClipboard *clipboard = nullptr);
};
