#include "platform/crashreport/HomePathRedactor.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

// Characters that go on a folder's name, so a home followed by one of them is another folder.
bool continuesName(QChar c)
{
    return c.isLetterOrNumber() || QStringView(u"._-~%+@").contains(c);
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
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(home, "/"));
        for (const QString &form : { home, encoded }) {
            if (!m_forms.contains(form)) {
                m_forms.append(form);
            }
        }
    }
    std::sort(m_forms.begin(), m_forms.end(),
        [](const QString &a, const QString &b) { return a.size() > b.size(); });
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
    QString out = text;
    for (const QString &form : m_forms) {
        for (qsizetype at = out.indexOf(form); at >= 0; at = out.indexOf(form, at)) {
            const qsizetype end = at + form.size();
            if (end < out.size() && continuesName(out[end])) {
                at = end;
                continue;
            }
            out.replace(at, form.size(), QLatin1Char('~'));
            at += 1;
        }
    }
    return out;
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
