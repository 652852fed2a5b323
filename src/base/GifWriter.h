#pragma once

// GIF files from true-colour pictures: at most 256 colours chosen for the
// picture (libimagequant) with Floyd–Steinberg dithering, written by giflib.

class QImage;
class QIODevice;

// Writes the whole file to the open device. Raises KorventError when the
// picture is empty, cannot be reduced to a palette or the device refuses a write.
void WriteGif(const QImage &picture, QIODevice &device);
