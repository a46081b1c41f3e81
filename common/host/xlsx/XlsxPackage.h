#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

struct zip;

namespace tallimo::host::xlsx {

// The ZIP container of a workbook, read through libzip. Every part is read whole into memory
// after its declared size has been checked against a cap, and never more than it declares, so
// a forged or bombed archive costs at most the cap. Failures throw FileFault.
class Package {
public:
    static constexpr std::int64_t kPartCap = std::int64_t(1) << 30;

    explicit Package(const QString& path, std::int64_t partCap = kPartCap);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Part names are matched without regard to case, as the container format wants.
    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const;

private:
    struct zip* archive_ = nullptr;
    std::int64_t partCap_;
};

// A relationship target resolved against the folder of the part that names it.
QString resolvePart(const QString& sourcePart, const QString& target);

}  // namespace tallimo::host::xlsx
