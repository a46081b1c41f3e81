#include "TestZip.h"

#include <zip.h>

#include <QFile>
#include <QtEndian>
#include <stdexcept>

namespace tallimo::host::xlsx::test {

void writeZip(const QString& path, const Parts& parts) {
    QFile::remove(path);
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("cannot create test zip");
    for (const auto& [name, data] : parts) {
        zip_source_t* source = zip_source_buffer(archive, data.constData(), data.size(), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, 0) < 0)
            throw std::runtime_error("cannot add to test zip");
    }
    if (zip_close(archive) != 0) throw std::runtime_error("cannot write test zip");
}

Parts readZip(const QString& path) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive) throw std::runtime_error("cannot open test zip");
    Parts parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray data(qsizetype(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, data.data(), stat.size);
        zip_fclose(file);
        parts.emplace_back(QString::fromUtf8(stat.name), data);
    }
    zip_discard(archive);
    return parts;
}

Parts minimalWorkbook(const QByteArray& sheetData, const QByteArray& beforeSheetData,
                      const QByteArray& afterSheetData) {
    const QByteArray ns =
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships\"";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    return {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook " + ns +
                                "><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", "<worksheet " + ns + ">" + beforeSheetData + "<sheetData>" +
                                         sheetData + "</sheetData>" + afterSheetData +
                                         "</worksheet>"},
    };
}

void forgeUncompressedSizes(const QString& path, quint32 size, const QByteArray& only) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) throw std::runtime_error("cannot open test zip");
    QByteArray bytes = file.readAll();
    const auto patch = [&](const char* signature, int offset, int nameLengthAt, int nameAt) {
        for (qsizetype at = bytes.indexOf(signature); at >= 0;
             at = bytes.indexOf(signature, at + 4)) {
            const quint16 nameLength =
                qFromLittleEndian<quint16>(bytes.constData() + at + nameLengthAt);
            if (only.isEmpty() || bytes.mid(at + nameAt, nameLength) == only)
                qToLittleEndian<quint32>(size, bytes.data() + at + offset);
        }
    };
    patch("PK\x03\x04", 22, 26, 30);
    patch("PK\x01\x02", 24, 28, 46);
    file.seek(0);
    file.write(bytes);
}

}  // namespace tallimo::host::xlsx::test
