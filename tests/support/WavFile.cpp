#include "WavFile.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace TestSupport {

namespace {

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint32_t le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16
        | std::uint32_t(u[3]) << 24;
}

std::uint16_t le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}

float decodeSample(const char *p, int bits, bool isFloat)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    if (isFloat) {
        if (bits == 32) {
            float value;
            std::memcpy(&value, p, sizeof value);
            return value;
        }
        double value;
        std::memcpy(&value, p, sizeof value);
        return float(value);
    }
    switch (bits) {
    case 8:
        return (int(u[0]) - 128) / 128.0f;
    case 16:
        return std::int16_t(le16(p)) / 32768.0f;
    case 24: {
        std::int32_t value = std::int32_t(u[0] | u[1] << 8 | u[2] << 16);
        if (value & 0x800000) {
            value -= 0x1000000;
        }
        return value / 8388608.0f;
    }
    default:
        return float(std::int32_t(le32(p)) / 2147483648.0);
    }
}

bool fail(QString *error, const QString &message)
{
    if (error) {
        *error = message;
    }
    return false;
}

} // namespace

std::vector<float> WavFile::channel(int index) const
{
    std::vector<float> result;
    if (index < 0 || index >= channels) {
        return result;
    }
    result.reserve(frames());
    for (std::size_t i = std::size_t(index); i < samples.size(); i += std::size_t(channels)) {
        result.push_back(samples[i]);
    }
    return result;
}

std::optional<WavFile> WavFile::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        fail(error, QStringLiteral("%1 is not a WAV file").arg(path));
        return std::nullopt;
    }

    WavFile wav;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const qsizetype declared = qsizetype(le32(bytes.constData() + pos + 4));
        const qsizetype body = pos + 8;
        const qsizetype size = std::min(declared, bytes.size() - body);
        if (id == "fmt ") {
            if (size < 16) {
                fail(error, QStringLiteral("%1: format chunk too short").arg(path));
                return std::nullopt;
            }
            const char *f = bytes.constData() + body;
            std::uint16_t format = le16(f);
            if (format == formatExtensible && size >= 26) {
                format = le16(f + 24); // first two bytes of the sub-format GUID
            }
            wav.channels = le16(f + 2);
            wav.sampleRate = int(le32(f + 4));
            wav.bitsPerSample = le16(f + 14);
            wav.isFloat = format == formatFloat;
            const bool intOk = format == formatPcm
                && (wav.bitsPerSample == 8 || wav.bitsPerSample == 16 || wav.bitsPerSample == 24
                    || wav.bitsPerSample == 32);
            const bool floatOk = wav.isFloat && (wav.bitsPerSample == 32 || wav.bitsPerSample == 64);
            if ((!intOk && !floatOk) || wav.channels == 0 || wav.sampleRate <= 0) {
                fail(error,
                    QStringLiteral("%1: unsupported format %2, %3 bits, %4 channels")
                        .arg(path)
                        .arg(format)
                        .arg(wav.bitsPerSample)
                        .arg(wav.channels));
                return std::nullopt;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                fail(error, QStringLiteral("%1: data before format").arg(path));
                return std::nullopt;
            }
            const int width = wav.bitsPerSample / 8;
            const qsizetype frameBytes = qsizetype(width) * wav.channels;
            const qsizetype usable = size - size % frameBytes;
            wav.samples.reserve(std::size_t(usable / width));
            for (qsizetype at = body; at < body + usable; at += width) {
                wav.samples.push_back(decodeSample(bytes.constData() + at, wav.bitsPerSample, wav.isFloat));
            }
            return wav;
        }
        pos = body + size + (size & 1); // chunks are padded to even sizes
    }
    fail(error, QStringLiteral("%1: no %2 chunk").arg(path, haveFormat ? "data" : "format"));
    return std::nullopt;
}

} // namespace TestSupport
