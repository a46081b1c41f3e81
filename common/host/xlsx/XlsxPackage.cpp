#include "XlsxPackage.h"
#include "XlsxCommon.h"

#include <zip.h>

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace tallimo::host::xlsx {

namespace {

QString zipMessage(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

}  // namespace

Package::Package(const QString& path, std::int64_t partCap, std::int64_t wholePartCap)
    : partCap_(partCap), wholePartCap_(wholePartCap) {
    int code = 0;
    // No ZIP_CHECKCONS: it refuses the zip64 data descriptors that common writers emit; every
    // part read is still bounded and checksummed.
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive_) fault(QStringLiteral("不是可读的 ZIP 压缩包（%1）").arg(zipMessage(code)));
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    entries_.reserve(qsizetype(std::min<zip_int64_t>(count, std::numeric_limits<int>::max())));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive_, zip_uint64_t(i), 0);
        if (!raw) continue;
        const QString name = QString::fromUtf8(raw);
        const QString key = name.toCaseFolded();
        if (entries_.contains(key)) {
            zip_discard(archive_);
            archive_ = nullptr;
            fault(QStringLiteral("压缩包中有两个名为 %1 的部件（名称相同或只差大小写），"
                                 "无法确定哪一个属于工作簿")
                      .arg(name));
        }
        entries_.insert(key, i);
    }
}

Package::~Package() {
    if (archive_) zip_discard(archive_);
}

std::int64_t Package::locate(const QString& name) const {
    return entries_.value(name.toCaseFolded(), -1);
}

bool Package::contains(const QString& name) const {
    return locate(name) >= 0;
}

QStringList Package::partNames() const {
    QStringList names;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(archive_, zip_uint64_t(i), 0))
            names.append(QString::fromUtf8(name));
    return names;
}

QByteArray Package::read(const QString& name) const {
    PartStream stream(*this, name);
    if (stream.declaredSize() > wholePartCap_)
        fault(QStringLiteral("部件 %1 解压后有 %2 字节，超过整体读取的上限 %3 字节")
                  .arg(name)
                  .arg(stream.declaredSize())
                  .arg(wholePartCap_));
    QByteArray data;
    data.reserve(qsizetype(stream.declaredSize()));
    while (stream.readInto(data, qsizetype(1) << 24) > 0) {
    }
    return data;
}

PartStream::PartStream(const Package& package, const QString& name)
    : package_(package), name_(name) {
    const std::int64_t index = package.locate(name);
    if (index < 0) fault(QStringLiteral("缺少部件 %1").arg(name));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(package.archive_, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        fault(QStringLiteral("部件 %1 无法读取").arg(name));
    if (stat.size > zip_uint64_t(package.partCap_))
        fault(QStringLiteral("部件 %1 解压后有 %2 字节，超过上限 %3 字节")
                  .arg(name)
                  .arg(stat.size)
                  .arg(package.partCap_));
    declared_ = std::int64_t(stat.size);
    file_ = zip_fopen_index(package.archive_, zip_uint64_t(index), 0);
    if (!file_)
        fault(QStringLiteral("部件 %1 无法解压（%2）")
                  .arg(name, QString::fromUtf8(zip_strerror(package.archive_))));
}

PartStream::~PartStream() {
    if (file_) zip_fclose(file_);
}

qsizetype PartStream::readInto(QByteArray& buffer, qsizetype bytes) {
    if (read_ == declared_) {
        // Reading past the declared end finishes the checksum test and catches a lying size.
        char extra = 0;
        if (zip_fread(file_, &extra, 1) != 0)
            fault(QStringLiteral("部件 %1 与声明的大小或校验和不符").arg(name_));
        return 0;
    }
    const qsizetype wanted = qsizetype(std::min<std::int64_t>(bytes, declared_ - read_));
    const qsizetype old = buffer.size();
    buffer.resize(old + wanted);
    const zip_int64_t got = zip_fread(file_, buffer.data() + old, zip_uint64_t(wanted));
    if (got < 0)
        fault(QStringLiteral("部件 %1 已损坏（%2）")
                  .arg(name_, QString::fromUtf8(zip_file_strerror(file_))));
    if (got == 0) fault(QStringLiteral("部件 %1 比声明的短").arg(name_));
    buffer.resize(old + qsizetype(got));
    read_ += got;
    package_.bytesRead_ += got;
    return qsizetype(got);
}

QString resolvePart(const QString& sourcePart, const QString& target) {
    if (target.startsWith(u'/')) return target.mid(1);
    QStringList parts = sourcePart.split(u'/');
    parts.removeLast();
    for (const QString& piece : target.split(u'/')) {
        if (piece == u"..") {
            if (!parts.isEmpty()) parts.removeLast();
        } else if (piece != u"." && !piece.isEmpty()) {
            parts.append(piece);
        }
    }
    return parts.join(u'/');
}

}  // namespace tallimo::host::xlsx
