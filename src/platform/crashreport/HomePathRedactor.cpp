#include "platform/crashreport/HomePathRedactor.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace {

int hexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0'
        : c >= 'a' && c <= 'f'  ? c - 'a' + 10
        : c >= 'A' && c <= 'F'  ? c - 'A' + 10
                                : -1;
}

// The byte that the escape at `at` stands for, if one stands there.
std::optional<char> escaped(const QByteArray &text, qsizetype at)
{
    if (at + 2 >= text.size() || text[at] != '%' || hexDigit(text[at + 1]) < 0
        || hexDigit(text[at + 2]) < 0) {
        return std::nullopt;
    }
    return static_cast<char>(hexDigit(text[at + 1]) * 16 + hexDigit(text[at + 2]));
}

// Whether what follows a home at `end` makes it another folder: a letter, a digit or one of the
// characters that go on a folder's name, or an escape of anything but a slash.
bool continuesName(const QByteArray &text, qsizetype end)
{
    if (end >= text.size()) {
        return false;
    }
    if (const std::optional<char> byte = escaped(text, end)) {
        return *byte != '/';
    }
    // A UTF-8 sequence is at most four bytes long.
    const char32_t next = QString::fromUtf8(text.mid(end, 4)).toUcs4().value(0);
    return QChar::isLetterOrNumber(next)
        || std::u32string_view(U"._-~%+@").find(next) != std::u32string_view::npos;
}

// The end of `home` when it stands in `text` at `at`, each of its bytes there as it is or
// percent-encoded (a file URL, or a path in a URL's query), whichever way the writer chose; else -1.
qsizetype homeEnd(const QByteArray &text, qsizetype at, const QByteArray &home)
{
    for (const char wanted : home) {
        if (at < text.size() && text[at] == wanted) {
            ++at;
        } else if (escaped(text, at) == wanted) {
            at += 3;
        } else {
            return -1;
        }
    }
    return at;
}

} // namespace

HomePathRedactor::HomePathRedactor(const QStringList &homes)
{
    for (QString home : homes) {
        while (home.size() > 1 && home.endsWith(QLatin1Char('/'))) {
            home.chop(1);
        }
        // The root folder as home would redact every path.
        if (home.isEmpty() || home == QLatin1String("/")) {
            continue;
        }
        if (const QByteArray form = home.toUtf8(); !m_forms.contains(form)) {
            m_forms.append(form);
        }
    }
    std::sort(m_forms.begin(), m_forms.end(),
        [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
}

HomePathRedactor HomePathRedactor::forCurrentUser()
{
    QStringList homes { QDir::homePath() };
    if (const passwd *entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        homes.append(QFile::decodeName(entry->pw_dir));
    }
    for (qsizetype i = 0, given = homes.size(); i < given; ++i) {
        const QString canonical = QFileInfo(homes[i]).canonicalFilePath();
        if (!canonical.isEmpty()) {
            homes.append(canonical);
        }
    }
    return HomePathRedactor(homes);
}

QString HomePathRedactor::redacted(const QString &text) const
{
    QByteArray out = text.toUtf8();
    for (const QByteArray &home : m_forms) {
        for (qsizetype at = 0; at < out.size(); ++at) {
            if (const qsizetype end = homeEnd(out, at, home); end >= 0 && !continuesName(out, end)) {
                out.replace(at, end - at, "~");
            }
        }
    }
    return QString::fromUtf8(out);
}

QJsonValue HomePathRedactor::redacted(const QJsonValue &value) const
{
    if (value.isString()) {
        return redacted(value.toString());
    }
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &element : value.toArray()) {
            array.append(redacted(element));
        }
        return array;
    }
    if (value.isObject()) {
        QJsonObject object;
        const QJsonObject original = value.toObject();
        for (auto it = original.begin(); it != original.end(); ++it) {
            object.insert(redacted(it.key()), redacted(it.value()));
        }
        return object;
    }
    return value;
}
