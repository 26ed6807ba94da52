#include "spreadsheet/compound_file_writer.h"

#include <QIODevice>

#include <cstring>
#include <vector>

namespace tillora {

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kHeaderDifatEntries = 109;
constexpr int kEntriesPerSector = CompoundFileWriter::kSectorSize / 4;  // 128
constexpr int kDirEntrySize = 128;

void put16(char* at, quint16 v) {
    at[0] = char(v & 0xFF);
    at[1] = char(v >> 8);
}

void put32(char* at, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        at[i] = char((v >> (8 * i)) & 0xFF);
    }
}

quint32 sectorsFor(qint64 bytes, qint64 unit) {
    return quint32((bytes + unit - 1) / unit);
}

// A directory entry: name (UTF-16 with terminator), type, colour, siblings, child, start, size.
void putDirEntry(char* at, const QString& name, quint8 type, quint32 child, quint32 start,
                 quint32 size) {
    std::memset(at, 0, kDirEntrySize);
    put32(at + 0x44, kNoStream);  // left sibling
    put32(at + 0x48, kNoStream);  // right sibling
    put32(at + 0x4C, kNoStream);  // child
    if (type == 0) {
        return;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        put16(at + 2 * i, name.at(i).unicode());
    }
    put16(at + 0x40, quint16((name.size() + 1) * 2));
    at[0x42] = char(type);
    at[0x43] = 1;  // black: a one-entry tree is trivially balanced
    put32(at + 0x4C, child);
    put32(at + 0x74, start);
    put32(at + 0x78, size);
}

class SectorWriter {
  public:
    explicit SectorWriter(QIODevice& device) : device_(device) {}

    bool ok() const { return ok_; }

    void write(const char* data, qint64 size) {
        if (ok_ && size > 0 && device_.write(data, size) != size) {
            ok_ = false;
        }
    }

    // Writes `data` and pads it with zeros to whole sectors.
    void writeSectors(const char* data, qint64 size) {
        write(data, size);
        const qint64 rest = size % CompoundFileWriter::kSectorSize;
        if (rest != 0) {
            static const char zeros[CompoundFileWriter::kSectorSize] = {};
            write(zeros, CompoundFileWriter::kSectorSize - rest);
        }
    }

    void writeEntries(const std::vector<quint32>& entries) {
        std::vector<char> bytes(entries.size() * 4);
        for (size_t i = 0; i < entries.size(); ++i) {
            put32(bytes.data() + 4 * i, entries[i]);
        }
        writeSectors(bytes.data(), qint64(bytes.size()));
    }

  private:
    QIODevice& device_;
    bool ok_ = true;
};

}  // namespace

bool CompoundFileWriter::write(QIODevice& device, const QString& streamName,
                               const QByteArray& stream) {
    if (streamName.isEmpty() || streamName.size() > 31 || stream.size() > 0x7FFFFFFF) {
        return false;
    }
    const quint32 size = quint32(stream.size());
    const bool mini = size < kMiniStreamCutoff;

    // Sector plan: [stream or mini stream][directory][mini FAT][FAT][DIFAT].
    const quint32 miniSectors = mini ? sectorsFor(size, kMiniSectorSize) : 0;
    const quint32 miniStreamBytes = miniSectors * kMiniSectorSize;
    const quint32 dataSectors =
        mini ? sectorsFor(miniStreamBytes, kSectorSize) : sectorsFor(size, kSectorSize);
    const quint32 dirSectors = 1;
    const quint32 miniFatSectors = mini && miniSectors > 0 ? 1 : 0;  // 64 mini sectors at most
    quint32 fatSectors = 1;
    quint32 difatSectors = 0;
    // The FAT has to cover itself and the DIFAT; grow both until they stop changing.
    for (;;) {
        const quint32 total = dataSectors + dirSectors + miniFatSectors + fatSectors + difatSectors;
        const quint32 needFat = sectorsFor(total, kEntriesPerSector);
        const quint32 needDifat =
            needFat > kHeaderDifatEntries ? sectorsFor(needFat - kHeaderDifatEntries, 127) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) {
            break;
        }
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const quint32 dirStart = dataSectors;
    const quint32 miniFatStart = dirStart + dirSectors;
    const quint32 fatStart = miniFatStart + miniFatSectors;
    const quint32 difatStart = fatStart + fatSectors;
    const quint32 totalSectors = difatStart + difatSectors;

    std::vector<quint32> fat(size_t(fatSectors) * kEntriesPerSector, kFreeSector);
    for (quint32 s = 0; s < dataSectors; ++s) {
        fat[s] = s + 1 < dataSectors ? s + 1 : kEndOfChain;
    }
    fat[dirStart] = kEndOfChain;
    if (miniFatSectors > 0) {
        fat[miniFatStart] = kEndOfChain;
    }
    for (quint32 s = fatStart; s < difatStart; ++s) {
        fat[s] = kFatSector;
    }
    for (quint32 s = difatStart; s < totalSectors; ++s) {
        fat[s] = kDifatSector;
    }

    char header[kSectorSize] = {};
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(header, signature, 8);
    put16(header + 0x18, 0x003E);  // minor version
    put16(header + 0x1A, 0x0003);  // major version 3: 512-byte sectors
    put16(header + 0x1C, 0xFFFE);  // little-endian
    put16(header + 0x1E, 9);       // 2^9 = 512
    put16(header + 0x20, 6);       // 2^6 = 64
    put32(header + 0x2C, fatSectors);
    put32(header + 0x30, dirStart);
    put32(header + 0x38, kMiniStreamCutoff);
    put32(header + 0x3C, miniFatSectors > 0 ? miniFatStart : kEndOfChain);
    put32(header + 0x40, miniFatSectors);
    put32(header + 0x44, difatSectors > 0 ? difatStart : kEndOfChain);
    put32(header + 0x48, difatSectors);
    for (int i = 0; i < kHeaderDifatEntries; ++i) {
        put32(header + 0x4C + 4 * i, quint32(i) < fatSectors ? fatStart + quint32(i) : kFreeSector);
    }

    char directory[kSectorSize];
    if (mini) {
        putDirEntry(directory, QStringLiteral("Root Entry"), 5, 1,
                    miniSectors > 0 ? 0 : kEndOfChain, miniStreamBytes);
        putDirEntry(directory + kDirEntrySize, streamName, 2, kNoStream,
                    miniSectors > 0 ? 0 : kEndOfChain, size);
    } else {
        putDirEntry(directory, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
        putDirEntry(directory + kDirEntrySize, streamName, 2, kNoStream, 0, size);
    }
    putDirEntry(directory + 2 * kDirEntrySize, {}, 0, 0, 0, 0);
    putDirEntry(directory + 3 * kDirEntrySize, {}, 0, 0, 0, 0);

    SectorWriter out(device);
    out.write(header, kSectorSize);
    out.writeSectors(stream.constData(), stream.size());
    out.writeSectors(directory, kSectorSize);
    if (miniFatSectors > 0) {
        std::vector<quint32> miniFat(kEntriesPerSector, kFreeSector);
        for (quint32 s = 0; s < miniSectors; ++s) {
            miniFat[s] = s + 1 < miniSectors ? s + 1 : kEndOfChain;
        }
        out.writeEntries(miniFat);
    }
    out.writeEntries(fat);
    for (quint32 d = 0; d < difatSectors; ++d) {
        std::vector<quint32> entries(kEntriesPerSector, kFreeSector);
        for (quint32 i = 0; i < 127; ++i) {
            const quint32 fatIndex = kHeaderDifatEntries + d * 127 + i;
            if (fatIndex < fatSectors) {
                entries[i] = fatStart + fatIndex;
            }
        }
        entries[127] = d + 1 < difatSectors ? difatStart + d + 1 : kEndOfChain;
        out.writeEntries(entries);
    }
    return out.ok();
}

}  // namespace tillora
