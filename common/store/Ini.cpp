#include "Ini.h"

#include "FolderLock.h"
#include "ProgramFolder.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tallimo {

namespace {

// Values come back through a 256-byte buffer: 255 bytes and the terminating NUL.
constexpr qsizetype kMaxValueBytes = 255;

bool isBlank(const QString& text) {
    for (QChar c : text)
        if (c != u' ') return false;
    return true;
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

// A name that, written into the file, reads back as itself: one line, and no character that
// would end it early or turn the line into a comment or a section header.
bool isWritableSection(const QString& name) {
    return !hasLineBreak(name) && !name.contains(u']');
}
bool isWritableKey(const QString& name) {
    const QString trimmed = name.trimmed();
    return !hasLineBreak(name) && !name.contains(u'=') && !trimmed.startsWith(u';') &&
           !trimmed.startsWith(u'[');
}

bool sameName(const QByteArray& stored, const QString& wanted) {
    // Case folding, as the host's own INI routines compare names whatever the script.
    return QString::fromUtf8(stored).compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

// The file as lines: each without its "\n" (a "\r" before it stays, so untouched lines are
// written back byte for byte, whatever their encoding).
class IniLines {
public:
    explicit IniLines(const QByteArray& content) {
        if (content.isEmpty()) return;
        lines_ = content.split('\n');
        if (lines_.last().isEmpty()) lines_.removeLast();  // the file ended with a line break
        if (!lines_.isEmpty() && lines_.first().endsWith('\r')) lineEnd_ = "\r\n";
    }

    QByteArray content() const {
        QByteArray out;
        for (const QByteArray& line : lines_)
            out += line + '\n';
        return out;
    }

    // The line of the section's header, or -1.
    qsizetype findSection(const QString& section) const {
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const QByteArray name = sectionName(i);
            if (!name.isNull() && sameName(name, section)) return i;
        }
        return -1;
    }
    // The end of the section that starts at header: the next header or the end of the file.
    qsizetype sectionEnd(qsizetype header) const {
        qsizetype i = header + 1;
        while (i < lines_.size() && sectionName(i).isNull())
            ++i;
        return i;
    }
    qsizetype findKey(qsizetype header, const QString& key) const {
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            const QByteArray line = text(i);
            const qsizetype equals = line.indexOf('=');
            if (equals >= 0 && !line.trimmed().startsWith(';') &&
                sameName(line.left(equals).trimmed(), key))
                return i;
        }
        return -1;
    }
    QByteArray value(qsizetype line) const {
        const QByteArray bytes = text(line);
        return bytes.mid(bytes.indexOf('=') + 1).trimmed();
    }

    void setKey(const QString& section, const QString& key, const QString& value) {
        const QByteArray entry =
            key.trimmed().toUtf8() + '=' + value.toUtf8() + lineEnd_.chopped(1);
        const qsizetype header = findSection(section);
        if (header < 0) {
            lines_.append('[' + section.trimmed().toUtf8() + ']' + lineEnd_.chopped(1));
            lines_.append(entry);
            return;
        }
        if (const qsizetype line = findKey(header, key); line >= 0) {
            lines_[line] = entry;
            return;
        }
        // After the section's last entry, before any blank lines that separate it from the next.
        qsizetype at = sectionEnd(header);
        while (at > header + 1 && text(at - 1).trimmed().isEmpty())
            --at;
        lines_.insert(at, entry);
    }
    bool removeKey(const QString& section, const QString& key) {
        const qsizetype header = findSection(section);
        const qsizetype line = header < 0 ? -1 : findKey(header, key);
        if (line < 0) return false;
        lines_.removeAt(line);
        return true;
    }

private:
    QByteArray text(qsizetype i) const {
        QByteArray line = lines_[i];
        if (line.endsWith('\r')) line.chop(1);
        if (i == 0 && line.startsWith("\xEF\xBB\xBF")) line.remove(0, 3);
        return line;
    }
    // The name of a header line, a null array for any other line.
    QByteArray sectionName(qsizetype i) const {
        const QByteArray line = text(i).trimmed();
        const qsizetype close = line.indexOf(']');
        if (!line.startsWith('[') || close < 0) return {};
        QByteArray name = line.mid(1, close - 1).trimmed();
        if (name.isNull()) name = QByteArray("");
        return name;
    }

    QList<QByteArray> lines_;
    QByteArray lineEnd_ = "\n";
};

// The current content; false (with the reason) when the file exists but cannot be read: it is
// then left alone.
bool readContent(const QString& file, QByteArray& content, QString& reason) {
    QFile in(file);
    if (!in.exists()) return true;
    if (!in.open(QIODevice::ReadOnly)) {
        reason = in.errorString();
        return false;
    }
    content = in.readAll();
    reason = in.errorString();
    return in.error() == QFile::NoError;
}

QString replaceContent(const QString& file, const QByteArray& content) {
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(content) == content.size() && out.commit())
        return {};
    return out.errorString();
}

// The folder of a file that is about to be written, made private to the user when it is new.
QString makeFolderOf(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    if (QFileInfo(folder).isDir()) return {};
    if (!QDir().mkpath(folder)) return QStringLiteral("cannot create the folder ") + folder;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return {};
}

// Empty on success, else why the file could not be written.
QString writeKey(const QString& section, const QString& key, const QString& value,
                 const QString& file) {
    if (isBlank(section) || isBlank(key) || isBlank(value))
        return QStringLiteral("a blank section, key or value is not written");
    if (!isWritableSection(section) || !isWritableKey(key) || hasLineBreak(value))
        return QStringLiteral("the name or value would not read back as written");
    if (QString failure = makeFolderOf(file); !failure.isEmpty()) return failure;
    // Every program's read-modify-write is serialised, so that two programs writing different
    // keys at once both keep theirs. Readers need no lock: the file is replaced whole by a rename.
    FolderLock lock(file);
    QByteArray content;
    QString reason;
    if (!readContent(file, content, reason)) return reason;
    IniLines lines(content);
    lines.setKey(section, key, value);
    return replaceContent(file, lines.content());
}

// The folder of the programs' own "Set.ini" in earlier installs: Data/, which holds the window
// programs and sits below the add-in stand-in.
QString earlierIniPath() {
    const QString folder = programFolder();
    if (QFileInfo(folder).fileName() == u"Data") return folder + QStringLiteral("/Set.ini");
    return folder + QStringLiteral("/Data/Set.ini");
}

// An earlier install kept "Set.ini" in the program folder; its content starts the user's own
// file, once: a marker beside the user's file keeps a reset from bringing it back.
void importEarlierIni(const QString& userFile, const QString& earlierFile) {
    const QString marker = userFile + QStringLiteral(".imported");
    if (QFileInfo::exists(userFile) || QFileInfo::exists(marker)) return;
    QFile earlier(earlierFile);
    if (!earlier.open(QIODevice::ReadOnly)) return;
    const QByteArray content = earlier.readAll();
    if (earlier.error() != QFile::NoError || !makeFolderOf(userFile).isEmpty()) return;
    FolderLock lock(userFile);
    if (QFileInfo::exists(userFile) || QFileInfo::exists(marker)) return;
    if (!replaceContent(userFile, content).isEmpty()) return;
    (void)QFile(marker).open(QIODevice::WriteOnly);
}

}  // namespace

QString userIniPath(const QString& earlierInstallIni) {
    const QString file = QFileInfo(settingsFilePath()).absolutePath() + QStringLiteral("/Set.ini");
    importEarlierIni(file, earlierInstallIni);
    return file;
}

QString defaultIniPath() {
    return userIniPath(earlierIniPath());
}

QString iniRead(const QString& section, const QString& key, const QString& file) {
    if (key.trimmed().isEmpty()) return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const IniLines lines(in.readAll());
    if (in.error() != QFile::NoError) return {};
    const qsizetype header = lines.findSection(section);
    const qsizetype line = header < 0 ? -1 : lines.findKey(header, key);
    if (line < 0) return {};
    QByteArray value = lines.value(line);
    value.replace('\0', QByteArray());
    if (value.size() > kMaxValueBytes) {
        // Cut before the character that would straddle the limit.
        qsizetype cut = kMaxValueBytes;
        while (cut > 0 && (quint8(value[cut]) & 0xC0) == 0x80)
            --cut;
        value.truncate(cut);
    }
    return QString::fromUtf8(value);
}

bool iniWrite(const QString& section, const QString& key, const QString& value,
              const QString& file) {
    return writeKey(section, key, value, file).isEmpty();
}

void iniWriteOrThrow(const QString& section, const QString& key, const QString& value,
                     const QString& file) {
    if (const QString reason = writeKey(section, key, value, file); !reason.isEmpty())
        throw SettingsError("cannot write " + file.toStdString() + ": " + reason.toStdString());
}

bool iniDelete(const QString& section, const QString& key, const QString& file) {
    if (key.trimmed().isEmpty() || !QFileInfo::exists(file)) return false;
    FolderLock lock(file);
    QByteArray content;
    QString reason;
    if (!readContent(file, content, reason)) return false;
    IniLines lines(content);
    return lines.removeKey(section, key) && replaceContent(file, lines.content()).isEmpty();
}

}  // namespace tallimo
