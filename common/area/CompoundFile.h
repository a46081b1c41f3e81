#pragma once

#include "SheetSource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallimo::area {

// The OLE compound file that legacy workbooks, documents and encrypted packages live in: a small
// file system of sectors. Only the streams directly under the root are offered, read whole.
// Every chain is followed at most once around the file and every size is checked against the
// file before anything is allocated, so a forged file costs at most `streamCap` per stream.
// Failures throw FormatError with a Chinese message.
class CompoundFile {
public:
    static constexpr std::int64_t kStreamCap = std::int64_t(256) << 20;

    static bool hasSignature(QByteArrayView bytes);

    // `bytes` must outlive the object.
    explicit CompoundFile(QByteArrayView bytes, std::int64_t streamCap = kStreamCap);

    // Names of the streams under the root, as stored.
    QStringList rootStreams() const;
    bool hasRootStream(const QString& name) const;  // without regard to case
    QByteArray readRootStream(const QString& name) const;

private:
    struct Entry {
        QString name;
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::uint32_t sectorCount() const;
    QByteArrayView sector(std::uint32_t index) const;
    std::vector<std::uint32_t> chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                     std::uint64_t maxLinks) const;
    QByteArray readChain(std::uint32_t start, std::uint64_t size) const;
    QByteArray readMiniChain(std::uint32_t start, std::uint64_t size) const;
    std::optional<Entry> rootEntry(const QString& name) const;

    QByteArrayView bytes_;
    std::int64_t streamCap_;
    int sectorShift_ = 9;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
    QByteArray miniStream_;
    std::vector<std::uint32_t> rootChildren_;
};

}  // namespace tallimo::area
