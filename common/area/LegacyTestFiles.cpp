#include "LegacyTestFiles.h"

#include <QtEndian>

namespace tallimo::area::testing {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr int kSector = 512;

void put16(QByteArray& bytes, qsizetype at, quint16 value) {
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    put16(bytes, 0, value);
    return bytes;
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    put32(bytes, 0, value);
    return bytes;
}

QByteArray directoryEntry(const QString& name, quint8 type, quint32 right, quint32 child,
                          quint32 start, quint32 size) {
    QByteArray entry(128, '\0');
    for (int i = 0; i < name.size(); ++i)
        put16(entry, 2 * i, name[i].unicode());
    put16(entry, 64, quint16(2 * (name.size() + 1)));
    entry[66] = char(type);
    put32(entry, 68, kFree);
    put32(entry, 72, right);
    put32(entry, 76, child);
    put32(entry, 116, start);
    put32(entry, 120, size);
    return entry;
}

}  // namespace

QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams) {
    // Sector 0 is the FAT, sector 1 the directory, the streams follow.
    QList<quint32> fat = {kFatSector, kEndOfChain};
    QByteArray data;
    QByteArray directory;
    QList<quint32> starts;
    for (const auto& stream : streams) {
        const quint32 sectors = quint32((stream.second.size() + kSector - 1) / kSector);
        starts.append(sectors ? quint32(fat.size()) : kEndOfChain);
        for (quint32 i = 0; i < sectors; ++i)
            fat.append(i + 1 < sectors ? quint32(fat.size()) + 1 : kEndOfChain);
        QByteArray padded = stream.second;
        padded.append(QByteArray((kSector - padded.size() % kSector) % kSector, '\0'));
        data.append(padded);
    }
    directory.append(
        directoryEntry(u"Root Entry"_qs, 5, kFree, streams.isEmpty() ? kFree : 1, kEndOfChain, 0));
    for (qsizetype i = 0; i < streams.size(); ++i) {
        const quint32 right = i + 1 < streams.size() ? quint32(i + 2) : kFree;
        directory.append(directoryEntry(streams[i].first, 2, right, kFree, starts[i],
                                        quint32(streams[i].second.size())));
    }
    directory.append(QByteArray((kSector - directory.size() % kSector) % kSector, '\0'));
    Q_ASSERT(directory.size() == kSector && fat.size() <= kSector / 4);

    QByteArray header(kSector, '\0');
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    put16(header, 0x18, 0x3E);
    put16(header, 0x1A, 3);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, 9);
    put16(header, 0x20, 6);
    put32(header, 0x2C, 1);
    put32(header, 0x30, 1);
    put32(header, 0x38, 0);
    put32(header, 0x3C, kEndOfChain);
    put32(header, 0x44, kEndOfChain);
    for (int i = 0; i < 109; ++i)
        put32(header, 0x4C + 4 * i, i == 0 ? 0 : kFree);
    QByteArray fatSector(kSector, '\xFF');
    for (qsizetype i = 0; i < fat.size(); ++i)
        put32(fatSector, 4 * i, fat[i]);
    return header + fatSector + directory + data;
}

QByteArray biffRecord(quint16 type, const QByteArray& data) {
    return le16(type) + le16(quint16(data.size())) + data;
}

QByteArray biff8Workbook(const QByteArray& globalRecords, const QByteArray& sheetRecords) {
    const QByteArray bof = biffRecord(0x0809, le16(0x0600) + le16(0x0005) + QByteArray(12, '\0'));
    const QByteArray sheetBof =
        biffRecord(0x0809, le16(0x0600) + le16(0x0010) + QByteArray(12, '\0'));
    const QByteArray eof = biffRecord(0x000A, {});
    // A cell format of General for index 0; the sheet list's record holds the sheet's offset.
    const QByteArray xf = biffRecord(0x00E0, QByteArray(20, '\0'));
    const QByteArray name = QByteArray("\x06\x00", 2) + "Sheet1";
    const qsizetype boundSheetSize = 4 + 6 + name.size();
    const qsizetype sheetAt =
        bof.size() + globalRecords.size() + xf.size() + boundSheetSize + eof.size();
    const QByteArray boundSheet =
        biffRecord(0x0085, le32(quint32(sheetAt)) + QByteArray(2, '\0') + name);
    return bof + globalRecords + xf + boundSheet + eof + sheetBof + sheetRecords + eof;
}

}  // namespace tallimo::area::testing
