#include "WavFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using TestSupport::WavFile;

namespace {

void put16(QByteArray &out, std::uint16_t v)
{
    out.append(char(v & 0xff)).append(char(v >> 8));
}

void put32(QByteArray &out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xffff));
    put16(out, std::uint16_t(v >> 16));
}

QByteArray formatChunk(std::uint16_t format, int channels, int rate, int bits)
{
    QByteArray chunk("fmt ");
    put32(chunk, 16);
    put16(chunk, format);
    put16(chunk, std::uint16_t(channels));
    put32(chunk, std::uint32_t(rate));
    put32(chunk, std::uint32_t(rate * channels * bits / 8));
    put16(chunk, std::uint16_t(channels * bits / 8));
    put16(chunk, std::uint16_t(bits));
    return chunk;
}

QByteArray dataChunk(const QByteArray &payload, std::uint32_t declaredSize)
{
    QByteArray chunk("data");
    put32(chunk, declaredSize);
    return chunk + payload;
}

QByteArray riff(const QByteArray &chunks)
{
    QByteArray file("RIFF");
    put32(file, std::uint32_t(chunks.size() + 4));
    return file + "WAVE" + chunks;
}

class WavFileTest : public ::testing::Test
{
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1.wav").arg(m_count++));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_F(WavFileTest, Reads16BitStereoInterleaved)
{
    QByteArray payload;
    for (const std::int16_t s :
        { std::int16_t(16384), std::int16_t(-32768), std::int16_t(0), std::int16_t(32767) }) {
        put16(payload, std::uint16_t(s));
    }
    QString error;
    const auto wav = WavFile::read(
        write(riff(formatChunk(1, 2, 44100, 16) + dataChunk(payload, std::uint32_t(payload.size())))),
        &error);
    ASSERT_TRUE(wav) << error.toStdString();
    EXPECT_EQ(wav->sampleRate, 44100);
    EXPECT_EQ(wav->channels, 2);
    EXPECT_EQ(wav->frames(), 2u);
    EXPECT_FLOAT_EQ(wav->samples[0], 0.5f);
    EXPECT_FLOAT_EQ(wav->samples[1], -1.0f);
    EXPECT_EQ(wav->channel(0), (std::vector<float> { 0.5f, 0.0f }));
    EXPECT_EQ(wav->channel(1), (std::vector<float> { -1.0f, 32767 / 32768.0f }));
    EXPECT_TRUE(wav->channel(2).empty());
}

TEST_F(WavFileTest, Reads24BitNegativeAndFloatSamples)
{
    QByteArray pcm24;
    pcm24.append(char(0x00)).append(char(0x00)).append(char(0xC0)); // -0.5
    auto wav = WavFile::read(write(riff(formatChunk(1, 1, 8000, 24) + dataChunk(pcm24, 3))));
    ASSERT_TRUE(wav);
    ASSERT_EQ(wav->samples.size(), 1u);
    EXPECT_FLOAT_EQ(wav->samples[0], -0.5f);

    QByteArray floats(8, '\0');
    const float values[] = { 0.25f, -0.75f };
    std::memcpy(floats.data(), values, sizeof values);
    wav = WavFile::read(write(riff(formatChunk(3, 1, 8000, 32) + dataChunk(floats, 8))));
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->isFloat);
    EXPECT_EQ(wav->samples, (std::vector<float> { 0.25f, -0.75f }));
}

TEST_F(WavFileTest, SkipsOddSizedChunksWithTheirPadding)
{
    QByteArray list("LIST");
    put32(list, 3);
    list.append("abc").append('\0');
    QByteArray payload;
    put16(payload, 8192);
    const auto wav = WavFile::read(write(riff(formatChunk(1, 1, 8000, 16) + list + dataChunk(payload, 2))));
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->samples, (std::vector<float> { 0.25f }));
}

TEST_F(WavFileTest, AnUnfinishedDataSizeReadsToTheEndAndDropsAPartialFrame)
{
    QByteArray payload;
    put16(payload, 8192);
    put16(payload, 8192);
    put16(payload, 16384);
    payload.append(char(1)); // half a sample of the next frame
    const auto wav = WavFile::read(write(riff(formatChunk(1, 1, 8000, 16) + dataChunk(payload, 0xFFFFFFFF))));
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->samples, (std::vector<float> { 0.25f, 0.25f, 0.5f }));
}

TEST_F(WavFileTest, RejectsWhatItCannotRead)
{
    QString error;
    EXPECT_FALSE(WavFile::read(m_dir.filePath(QStringLiteral("missing.wav")), &error));
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    EXPECT_FALSE(WavFile::read(write("not a wav file at all"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a WAV"))) << error.toStdString();

    error.clear();
    EXPECT_FALSE(WavFile::read(write(riff(formatChunk(2, 1, 8000, 4) + dataChunk("xx", 2))), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("unsupported"))) << error.toStdString();

    error.clear();
    EXPECT_FALSE(WavFile::read(write(riff(dataChunk("xx", 2) + formatChunk(1, 1, 8000, 16))), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("data before format"))) << error.toStdString();

    error.clear();
    EXPECT_FALSE(WavFile::read(write(riff(formatChunk(1, 1, 8000, 16))), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no data"))) << error.toStdString();
}

} // namespace
