#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace tillora {

// Writes a compound file (version 3, 512-byte sectors) that holds exactly one stream below its
// root: the container the Excel 97-2003 workbook lives in. Streams under the 4,096-byte cutoff
// go to the mini stream as the format demands; files needing more than 109 FAT sectors get
// DIFAT sectors.
class CompoundFileWriter {
  public:
    static constexpr int kSectorSize = 512;
    static constexpr int kMiniSectorSize = 64;
    static constexpr quint32 kMiniStreamCutoff = 4096;

    // False when the device refuses a write or the name is longer than 31 characters.
    static bool write(QIODevice& device, const QString& streamName, const QByteArray& stream);
};

}  // namespace tillora
