#include "base/GifWriter.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QImage>
#include <gif_lib.h>
#include <libimagequant.h>
#include <memory>
#include <vector>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(GifWriter)
};

struct QuantizerDeleter
{
    void operator()(liq_attr *attributes) const { liq_attr_destroy(attributes); }
    void operator()(liq_image *image) const { liq_image_destroy(image); }
    void operator()(liq_result *result) const { liq_result_destroy(result); }
};
template <typename T>
using QuantizerPtr = std::unique_ptr<T, QuantizerDeleter>;

// Pictures are maps and route lines: the fastest setting still keeps thin
// coloured lines apart, and whole-event runs write hundreds of them.
constexpr int QuantizerSpeed = 8;

struct IndexedPicture
{
    std::vector<GifColorType> palette;
    std::vector<unsigned char> pixels; // one palette index per pixel, row after row
};

IndexedPicture quantize(const QImage &picture)
{
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    QuantizerPtr<liq_attr> attributes(liq_attr_create());
    if (!attributes)
        throw KorventError(Texts::tr("Cannot start the colour reduction of a GIF picture"));
    liq_set_max_colors(attributes.get(), 256);
    liq_set_speed(attributes.get(), QuantizerSpeed);

    std::vector<const unsigned char *> rows(static_cast<size_t>(rgba.height()));
    for (int y = 0; y < rgba.height(); ++y)
        rows[static_cast<size_t>(y)] = rgba.constScanLine(y);
    QuantizerPtr<liq_image> image(liq_image_create_rgba_rows(attributes.get(), reinterpret_cast<void **>(const_cast<unsigned char **>(rows.data())),
                                                             rgba.width(), rgba.height(), 0));
    liq_result *quantized = nullptr;
    if (!image || liq_image_quantize(image.get(), attributes.get(), &quantized) != LIQ_OK)
        throw KorventError(Texts::tr("Cannot reduce the picture to 256 colours for a GIF file"));
    QuantizerPtr<liq_result> result(quantized);
    // Full Floyd–Steinberg error diffusion.
    liq_set_dithering_level(result.get(), 1.0f);

    IndexedPicture indexed;
    indexed.pixels.resize(static_cast<size_t>(rgba.width()) * static_cast<size_t>(rgba.height()));
    if (liq_write_remapped_image(result.get(), image.get(), indexed.pixels.data(), indexed.pixels.size()) != LIQ_OK)
        throw KorventError(Texts::tr("Cannot reduce the picture to 256 colours for a GIF file"));
    const liq_palette *palette = liq_get_palette(result.get());
    for (unsigned int i = 0; i < palette->count; ++i)
        indexed.palette.push_back(GifColorType{palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    return indexed;
}

int writeToDevice(GifFileType *file, const GifByteType *bytes, int length)
{
    auto *device = static_cast<QIODevice *>(file->UserData);
    return static_cast<int>(device->write(reinterpret_cast<const char *>(bytes), length));
}

[[noreturn]] void gifFailure(int error, const QIODevice &device)
{
    const QString reason = device.errorString().isEmpty() || error != E_GIF_ERR_WRITE_FAILED
        ? QString::fromUtf8(GifErrorString(error))
        : device.errorString();
    throw KorventError(Texts::tr("Cannot write the GIF picture: %1").arg(reason));
}

} // namespace

void WriteGif(const QImage &picture, QIODevice &device)
{
    if (picture.isNull())
        throw KorventError(Texts::tr("Cannot write an empty picture as GIF"));
    IndexedPicture indexed = quantize(picture);

    // A GIF colour table holds a power of two of colours.
    int bits = 1;
    while ((1u << bits) < indexed.palette.size())
        ++bits;
    indexed.palette.resize(size_t{1} << bits, GifColorType{0, 0, 0});
    ColorMapObject *colours = GifMakeMapObject(1 << bits, indexed.palette.data());
    if (!colours)
        throw KorventError(Texts::tr("Cannot write the GIF picture: %1").arg(QString::fromUtf8(GifErrorString(E_GIF_ERR_NOT_ENOUGH_MEM))));

    int error = 0;
    GifFileType *file = EGifOpen(&device, writeToDevice, &error);
    if (!file) {
        GifFreeMapObject(colours);
        gifFailure(error, device);
    }
    const int width = picture.width();
    const int height = picture.height();
    bool written = EGifPutScreenDesc(file, width, height, bits, 0, colours) == GIF_OK
        && EGifPutImageDesc(file, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; written && y < height; ++y)
        written = EGifPutLine(file, indexed.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), width) == GIF_OK;
    if (!written)
        error = file->Error;
    GifFreeMapObject(colours);
    int closeError = 0;
    if (EGifCloseFile(file, &closeError) != GIF_OK && written) {
        written = false;
        error = closeError;
    }
    if (!written)
        gifFailure(error, device);
}
