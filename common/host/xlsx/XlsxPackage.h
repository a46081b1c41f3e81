#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

struct zip;
struct zip_file;

namespace tallimo::host::xlsx {

// The ZIP container of a workbook, read through libzip. A part's declared size is checked
// against a cap before anything is decompressed, and no more than it declares is ever read, so a
// forged or bombed archive costs at most the cap. Parts read whole have a lower cap, since their
// document tree comes on top. A container naming one part twice (exactly or but for case) is
// refused: readers that take the first and those that take the last would see two workbooks.
// Failures throw FileFault.
class Package {
public:
    static constexpr std::int64_t kPartCap = std::int64_t(1) << 30;
    static constexpr std::int64_t kWholePartCap = std::int64_t(128) << 20;

    explicit Package(const QString& path, std::int64_t partCap = kPartCap,
                     std::int64_t wholePartCap = kWholePartCap);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Part names are matched without regard to case, as the container format wants.
    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const;
    // Every part's name, in the order the parts are stored.
    QStringList partNames() const;
    // The bytes decompressed so far, over all parts.
    std::int64_t bytesRead() const { return bytesRead_; }

private:
    friend class PartStream;
    // The entry of a part, or -1.
    std::int64_t locate(const QString& name) const;

    struct zip* archive_ = nullptr;
    // Entries by case-folded name: libzip looks names up without regard to case by going
    // through every entry, which costs a workbook of many sheets the square of their count.
    QHash<QString, std::int64_t> entries_;
    std::int64_t partCap_;
    std::int64_t wholePartCap_;
    mutable std::int64_t bytesRead_ = 0;
};

// One part read piece by piece, for parts too large to hold whole.
class PartStream {
public:
    PartStream(const Package& package, const QString& name);
    ~PartStream();
    PartStream(const PartStream&) = delete;
    PartStream& operator=(const PartStream&) = delete;

    std::int64_t declaredSize() const { return declared_; }
    // Appends up to `bytes` bytes of the part to `buffer`; 0 once the part is exhausted (and its
    // size and checksum have been confirmed).
    qsizetype readInto(QByteArray& buffer, qsizetype bytes);

private:
    const Package& package_;
    ::zip_file* file_ = nullptr;
    QString name_;
    std::int64_t declared_ = 0;
    std::int64_t read_ = 0;
};

// A relationship target resolved against the folder of the part that names it.
QString resolvePart(const QString& sourcePart, const QString& target);

}  // namespace tallimo::host::xlsx
