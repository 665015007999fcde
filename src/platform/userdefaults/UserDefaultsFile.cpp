#include "platform/userdefaults/UserDefaultsFile.h"

#include "platform/userdefaults/UserDefaultsLogging.h"

#include "platform/events/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const std::string &bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

} // namespace

UserDefaultsFile::ProcessLock::ProcessLock(const UserDefaultsFile &file)
{
    file.ensureDirectory();
    const QByteArray lockPath = QFile::encodeName(file.path() + QStringLiteral(".lock"));
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_failure = QStringLiteral("cannot open the lock file %1: %2")
                        .arg(QFile::decodeName(lockPath), errnoText());
        return;
    }
    int locked = 0;
    while ((locked = ::flock(m_fd, LOCK_EX)) < 0 && errno == EINTR) { }
    if (locked < 0) {
        m_failure = QStringLiteral("cannot lock %1: %2").arg(QFile::decodeName(lockPath), errnoText());
        ::close(std::exchange(m_fd, -1));
    }
}

UserDefaultsFile::ProcessLock::~ProcessLock()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing releases the lock
    }
}

QString UserDefaultsFile::pathForSuite(const std::string &suiteName)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    const QString directory = base + QStringLiteral("/tapewick/");
    if (suiteName.empty()) {
        return directory + QStringLiteral("defaults.json");
    }
    const QByteArray encoded = QUrl::toPercentEncoding(QString::fromStdString(suiteName));
    return directory + QStringLiteral("suite.") + QString::fromLatin1(encoded) + QStringLiteral(".json");
}

UserDefaultsFile::UserDefaultsFile(QString path)
    : m_path(std::move(path))
{ }

QString UserDefaultsFile::directory() const
{
    return QFileInfo(m_path).absolutePath();
}

QString UserDefaultsFile::fileName() const
{
    return QFileInfo(m_path).fileName();
}

bool UserDefaultsFile::ensureDirectory() const
{
    const QString dir = directory();
    if (QFileInfo::exists(dir)) {
        return true;
    }
    // Parents are made as usual; our own directory is private.
    if (!QDir().mkpath(QFileInfo(dir).absolutePath())) {
        qCWarning(lcUserDefaults) << "cannot create" << QFileInfo(dir).absolutePath();
        return false;
    }
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) < 0 && errno != EEXIST) {
        qCWarning(lcUserDefaults) << "cannot create" << dir << errnoText();
        return false;
    }
    return true;
}

UserDefaultsFile::Identity UserDefaultsFile::currentIdentity() const
{
    struct stat info
    {
    };
    Identity identity;
    if (::stat(QFile::encodeName(m_path).constData(), &info) == 0) {
        identity.exists = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
        identity.size = info.st_size;
        identity.modifiedNanoseconds
            = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    }
    return identity;
}

UserDefaultsFile::LoadResult UserDefaultsFile::load(Identity *identity) const
{
    QString parseError;
    LoadResult result = readOnce(identity, &parseError);
    for (int reread = 0; reread < settleRereads && !parseError.isEmpty(); ++reread) {
        std::this_thread::sleep_for(settlePause);
        parseError.clear();
        result = readOnce(identity, &parseError);
    }
    if (parseError.isEmpty()) {
        return result;
    }
    moveAside(parseError);
    *identity = currentIdentity();
    return {};
}

UserDefaultsFile::LoadResult UserDefaultsFile::readOnce(Identity *identity, QString *parseError) const
{
    *identity = currentIdentity();
    if (!identity->exists) {
        return { PropertyJson::Document {}, std::nullopt };
    }
    // Never waits on a FIFO put at the path, which would hold up whoever reads the settings.
    const RegularFile::Contents file = RegularFile::read(m_path, maximumFileSize);
    switch (file.status) {
    case RegularFile::Contents::Status::read:
        break;
    case RegularFile::Contents::Status::notRegular:
        return { std::nullopt, QStringLiteral("%1 is not a regular file").arg(m_path) };
    case RegularFile::Contents::Status::tooLarge:
        return {
            std::nullopt,
            QStringLiteral("%1 has %2 bytes, more than a settings file ever holds").arg(m_path).arg(file.size)
        };
    case RegularFile::Contents::Status::missing:
    case RegularFile::Contents::Status::failed:
        return { std::nullopt, QStringLiteral("cannot read %1: %2").arg(m_path, file.failure) };
    }
    const QByteArray &bytes = file.bytes;
    QString error;
    std::optional<PropertyJson::Document> document
        = PropertyJson::decodeDocument(std::string_view(bytes.constData(), bytes.size()), &error);
    if (!document) {
        *parseError = error.isEmpty() ? QStringLiteral("unparsable") : error;
        return {};
    }
    for (const auto &[key, text] : document->undecodable) {
        qCWarning(lcUserDefaults) << "skipping undecodable entry" << QString::fromStdString(key) << "in"
                                  << m_path;
    }
    return { std::move(document), std::nullopt };
}

void UserDefaultsFile::moveAside(const QString &parseError) const
{
    const QString stamp
        = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    QString aside = m_path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n) {
        aside = m_path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0) {
        qCWarning(lcUserDefaults).noquote()
            << "unparsable preferences file" << m_path << "(" + parseError + ")"
            << "moved to" << aside;
    } else {
        qCWarning(lcUserDefaults).noquote()
            << "unparsable preferences file" << m_path << "(" + parseError + ")"
            << "could not be moved aside:" << errnoText();
    }
}

QString UserDefaultsFile::writeTarget() const
{
    // Bounded like the kernel's own resolution, so a loop of links ends.
    QString target = m_path;
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(target);
        if (!info.isSymLink()) {
            return target;
        }
        target = info.symLinkTarget();
    }
    return m_path;
}

bool UserDefaultsFile::write(const PropertyJson::Document &document, Identity *identity) const
{
    if (!ensureDirectory()) {
        return false;
    }
    const std::string bytes = PropertyJson::encodeDocument(document.values, document.undecodable);
    const QString target = writeTarget();
    QByteArray temporary = QFile::encodeName(target + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcUserDefaults) << "cannot create a temporary file beside" << target << errnoText();
        return false;
    }
    const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const QString failure = written ? QString() : errnoText();
    ::close(fd);
    if (!written || ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        qCWarning(lcUserDefaults) << "cannot write" << target << (written ? errnoText() : failure);
        ::unlink(temporary.constData());
        return false;
    }
    const int directoryFd = ::open(
        QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    *identity = currentIdentity();
    return true;
}
