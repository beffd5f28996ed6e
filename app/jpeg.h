// JPEG pictures decoded with libjpeg.
#pragma once

#include <QImage>
#include <cstddef>

// Decodes a JPEG image; a corrupt or truncated one raises EConvertError.
QImage DecodeJpeg(const unsigned char* data, size_t size);

// One of the program's embedded pictures ("database.jpg", "about.jpg", "application.jpg").
QImage LoadPicture(const char* name);
