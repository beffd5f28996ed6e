// JPEG pictures decoded with libjpeg.
#pragma once

#include <QImage>

#include "workbench/jpeg_decoder.h"

// One of the program's embedded pictures ("database.jpg", "about.jpg", "application.jpg").
QImage LoadPicture(const char* name);
