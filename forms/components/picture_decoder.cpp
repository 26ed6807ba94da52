#include "forms/components/picture_decoder.h"

namespace tillora {

QImage decodePicture(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return {};
    }
    return QImage::fromData(bytes);
}

}  // namespace tillora
