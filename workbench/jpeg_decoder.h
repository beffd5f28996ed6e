// JPEG pictures decoded with libjpeg: the program's own pictures and those a blob holds.
#pragma once

#include <QImage>
#include <cstddef>

// Decodes a JPEG image; a corrupt or truncated one raises EConvertError.
QImage DecodeJpeg(const unsigned char* data, size_t size);
