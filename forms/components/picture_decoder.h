#pragma once

#include <QByteArray>
#include <QImage>

namespace tillora {

// Decodes a whole image file held in a template or the database (PNG, JPEG, BMP ...). A null image
// when the bytes are no picture. Every picture of the windows goes through here.
QImage decodePicture(const QByteArray& bytes);

}  // namespace tillora
