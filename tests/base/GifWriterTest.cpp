#include "base/GifWriter.h"
#include "base/KorventError.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QByteArray gifOf(const QImage &picture)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteGif(picture, buffer);
    return buffer.data();
}

QImage readBack(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << reader.errorString().toStdString();
    return image.convertToFormat(QImage::Format_RGB32);
}

QSet<QRgb> coloursOf(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

// Far more than 256 colours: a hue sweep across, a brightness sweep down.
QImage rainbow(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, QColor::fromHsv(x * 359 / width, 255, 55 + y * 200 / height));
    return picture;
}

double meanBrightness(const QImage &image, const QRect &area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (area.width() * area.height());
}

} // namespace

TEST(GifWriter, ManyColoursReadBackAsAtMost256AtTheSameSize)
{
    const QImage picture = rainbow(301, 173);
    ASSERT_GT(coloursOf(picture).size(), 256);
    const QImage back = readBack(gifOf(picture));
    EXPECT_EQ(back.size(), QSize(301, 173));
    EXPECT_LE(coloursOf(back).size(), 256);
    // The palette follows the picture: every region keeps its brightness.
    for (const QRect area : {QRect(0, 0, 40, 20), QRect(150, 80, 40, 20), QRect(260, 150, 40, 20)})
        EXPECT_NEAR(meanBrightness(back, area), meanBrightness(picture, area), 6.0);
}

TEST(GifWriter, FewColoursStayExact)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLine(4, 4, 60, 40);
    painter.fillRect(QRect(10, 30, 8, 8), Qt::blue);
    painter.end();
    const QImage back = readBack(gifOf(picture));
    EXPECT_EQ(back.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(back.pixel(14, 34), qRgb(0, 0, 255));
    EXPECT_EQ(coloursOf(back), coloursOf(picture));
}

TEST(GifWriter, DithersAGradientInsteadOfBanding)
{
    // 1024 colours in columns, every row alike. Mapping each pixel to its
    // nearest palette colour would keep the rows alike; error diffusion
    // carries the rounding error down the rows and mixes neighbours.
    QImage picture(1024, 8, QImage::Format_RGB32);
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 8; ++y)
            picture.setPixelColor(x, y, QColor::fromHsv(x * 359 / 1023, 200, 80 + x * 170 / 1023));
    const QImage back = readBack(gifOf(picture));
    int mixedColumns = 0;
    for (int x = 0; x < 1024; ++x) {
        bool mixed = false;
        for (int y = 1; y < 8; ++y)
            mixed = mixed || back.pixel(x, y) != back.pixel(x, 0);
        mixedColumns += mixed ? 1 : 0;
    }
    EXPECT_GT(mixedColumns, 256);
    for (const QRect area : {QRect(0, 0, 64, 8), QRect(480, 0, 64, 8), QRect(960, 0, 64, 8)})
        EXPECT_NEAR(meanBrightness(back, area), meanBrightness(picture, area), 3.0);
}

TEST(GifWriter, RefusesAnEmptyPictureAndAClosedDevice)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_THROW(WriteGif(QImage(), buffer), KorventError);
    QBuffer closed;
    EXPECT_THROW(WriteGif(rainbow(10, 10), closed), KorventError);
}
