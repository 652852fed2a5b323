#pragma once

#include <QByteArray>

// A GIF picture of the given size: header, a two-colour palette and an empty image.
inline QByteArray gifPicture(int width, int height)
{
    const auto word = [](int value) { return QByteArray(1, char(value & 0xFF)) + QByteArray(1, char(value >> 8)); };
    return QByteArray("GIF89a") + word(width) + word(height) + QByteArray("\x80\0\0", 3) + QByteArray("\0\0\0\xFF\xFF\xFF", 6)
        + QByteArray(",") + word(0) + word(0) + word(width) + word(height) + QByteArray("\0\x02\x01\x2C\0;", 6);
}
