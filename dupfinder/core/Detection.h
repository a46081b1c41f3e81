#pragma once

#include "Address.h"
#include "AreaBlock.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <vector>

namespace tallimo::dupfinder {

// Receives the status texts of a run as the progress strip shows them.
using StatusReporter = std::function<void(const QString& text)>;

struct DetectionOptions {
    // Positions (0-based TAB cells of a line) of the ticked columns, ascending.
    std::vector<int> tickedPositions;
    // Removes every U+0020 from a key; other white space stays.
    bool ignoreBlanks = false;
    // Indexes 0 to 11 of the ticked colour boxes, ascending; empty: no group is coloured.
    std::vector<int> colorBoxes;
};

// One distinct key, in order of first occurrence.
struct DistinctKey {
    qsizetype keyStart = 0;
    qsizetype keyLength = 0;
    int count = 0;
    int firstIndex = 0;  // data row index of the first occurrence
    int lastIndex = 0;   // and of the latest, while counting
    int group = 0;       // 1, 2, ... for a repeated key in walk order; 0 for a unique one
    int colorBox = -1;   // the box colouring the group; -1 for none
};

// The outcome of one scan: distinct keys with counts and row lists, the repeat rows, the groups.
class Detection {
public:
    AreaAddress address;
    int nonEmptyRowCount = 0;
    int duplicateGroupCount = 0;

    int distinctCount() const { return int(keys_.size()); }
    int uniqueCount() const { return distinctCount() - duplicateGroupCount; }
    bool hasDuplicates() const { return duplicateGroupCount > 0; }

    const DistinctKey& entry(int i) const { return keys_[i]; }
    QStringView key(int i) const {
        return QStringView(keyChars_).mid(keys_[i].keyStart, keys_[i].keyLength);
    }
    // The characters of all keys together.
    qsizetype keyCharacters() const { return keyChars_.size(); }
    // The worksheet rows of key i in order: the first occurrence, then the repeats.
    std::vector<int> rows(int i) const;
    // "5", or the rows joined by "_": "5_9_12".
    QString rowList(int i) const;
    // Worksheet rows that are not the first occurrence of their key, ascending.
    const std::vector<int>& repeatRows() const { return repeatRows_; }
    // Every repeat row as FirstColumn + row + ":" + LastColumn + row, joined by ",".
    QString repeatRangesText() const;

    friend Detection detectDuplicates(const AreaBlock&, const AreaAddress&, const DetectionOptions&,
                                      const StatusReporter&);

private:
    QString keyChars_;
    std::vector<DistinctKey> keys_;
    std::vector<int> nextIndex_;  // per data row: the next row index of its key, or -1
    std::vector<int> repeatRows_;
};

// Builds one key per data row from the ticked positions (a one-column area keys on the whole
// line), counts the keys in one pass with hashed lookups, and numbers and colours the groups.
// Rows whose key is empty take no part.
Detection detectDuplicates(const AreaBlock& block, const AreaAddress& address,
                           const DetectionOptions& options, const StatusReporter& status = {});

// The address as the messages show it: without "$".
QString plainAddress(const QString& address);
// The notice of a run that found no key twice.
QString noDuplicatesNotice(const QString& loadedAddress);
// The report's closing sentence.
QString conclusionText(const Detection& detection);

}  // namespace tallimo::dupfinder
