#include "app/jpeg.h"

#include <QFile>
#include <string>

#include "data/errors/errors.h"

// Outside any namespace, as Qt's resource initialiser requires.
static void InitPictureResources() {
  Q_INIT_RESOURCE(pictures);
}

QImage LoadPicture(const char* name) {
  InitPictureResources();
  QFile file(QStringLiteral(":/pictures/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) {
    throw EConvertError(std::string("Picture not found: ") + name);
  }
  const QByteArray bytes = file.readAll();
  return DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<size_t>(bytes.size()));
}
