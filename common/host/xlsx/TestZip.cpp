#include "TestZip.h"

#include <zip.h>

#include <QFile>
#include <QtEndian>
#include <functional>
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

namespace {

const QByteArray kSheetNamespaces =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const QByteArray kRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

}  // namespace

QByteArray sheetPart(const QByteArray& sheetData, const QByteArray& beforeSheetData,
                     const QByteArray& afterSheetData) {
    return "<worksheet " + kSheetNamespaces + ">" + beforeSheetData + "<sheetData>" + sheetData +
           "</sheetData>" + afterSheetData + "</worksheet>";
}

Parts workbookOfSheets(const std::vector<std::pair<QByteArray, QByteArray>>& sheets) {
    QByteArray list, relationships;
    Parts parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(qulonglong(i + 1));
        list +=
            "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRelationship +
                         "worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml", sheets[i].second);
    }
    const QByteArray relationshipsNamespace =
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"";
    Parts frame = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels", "<Relationships " + relationshipsNamespace +
                            "><Relationship Id=\"rId1\" "
                            "Type=\"" +
                            kRelationship +
                            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook " + kSheetNamespaces + "><sheets>" + list + "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships " + relationshipsNamespace + ">" + relationships + "</Relationships>"},
    };
    frame.insert(frame.end(), parts.begin(), parts.end());
    return frame;
}

namespace {

// Calls `change(header, name)` for the local and central header of every entry: `name` is where
// its name starts in `bytes`, and the size of that name.
void forEachHeader(QByteArray& bytes,
                   const std::function<void(qsizetype header, qsizetype name, bool central,
                                            qsizetype nameLength)>& change) {
    const auto visit = [&](const char* signature, int nameLengthAt, int nameAt, bool central) {
        for (qsizetype at = bytes.indexOf(signature); at >= 0;
             at = bytes.indexOf(signature, at + 4)) {
            const quint16 nameLength =
                qFromLittleEndian<quint16>(bytes.constData() + at + nameLengthAt);
            change(at, at + nameAt, central, nameLength);
        }
    };
    visit("PK\x03\x04", 26, 30, false);
    visit("PK\x01\x02", 28, 46, true);
}

void patchFile(const QString& path, const std::function<void(QByteArray&)>& patch) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) throw std::runtime_error("cannot open test zip");
    QByteArray bytes = file.readAll();
    patch(bytes);
    file.seek(0);
    file.write(bytes);
}

}  // namespace

void forgeUncompressedSizes(const QString& path, quint32 size, const QByteArray& only) {
    patchFile(path, [&](QByteArray& bytes) {
        forEachHeader(
            bytes, [&](qsizetype header, qsizetype name, bool central, qsizetype nameLength) {
                if (only.isEmpty() || bytes.mid(name, nameLength) == only)
                    qToLittleEndian<quint32>(size, bytes.data() + header + (central ? 24 : 22));
            });
    });
}

void renameEntry(const QString& path, const QByteArray& from, const QByteArray& to) {
    if (from.size() != to.size()) throw std::runtime_error("renamed entries keep their length");
    patchFile(path, [&](QByteArray& bytes) {
        forEachHeader(bytes, [&](qsizetype, qsizetype name, bool, qsizetype nameLength) {
            if (bytes.mid(name, nameLength) == from) bytes.replace(name, nameLength, to);
        });
    });
}

}  // namespace tallimo::host::xlsx::test
