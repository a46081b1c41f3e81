#include "Settings.h"

#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <thread>

namespace tallimo {
namespace {

using Settings = test::TemporaryStore;

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList setAsideFiles() {
    return QFileInfo(settingsFilePath())
        .dir()
        .entryList({QStringLiteral("settings.sqlite.bad-*")}, QDir::Files);
}

TEST_F(Settings, LivesInTheConfigFolderReadableOnlyByTheUser) {
    EXPECT_EQ(settingsFilePath(), path(QStringLiteral("RivaDare4Ruzar/settings.sqlite")));
    settingsSave(QStringLiteral("HiSet"), QStringLiteral("ReportColor"), QStringLiteral("1"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(settingsFilePath()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(Settings, MissingEntriesReadAsTheDefaultWithoutCreatingAFile) {
    EXPECT_EQ(settingsGet(QStringLiteral("Never"), QStringLiteral("Written"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(settingsGet(QStringLiteral("Never"), QStringLiteral("Written")), QString());
    EXPECT_FALSE(QFileInfo::exists(settingsFilePath()));

    settingsSave(QStringLiteral("HiSet"), QStringLiteral("ReportColor"), QStringLiteral("1"));
    EXPECT_EQ(settingsGet(QStringLiteral("HiSet"), QStringLiteral("Other"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("Other")), std::nullopt);
    // A value saved empty is present, not missing.
    settingsSave(QStringLiteral("HiSet"), QStringLiteral("Empty"), QString());
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("Empty")), QString());
    EXPECT_EQ(settingsGet(QStringLiteral("HiSet"), QStringLiteral("Empty"), QStringLiteral("d")),
              QString());
}

TEST_F(Settings, NamesCompareWithoutRegardToCase) {
    struct Case {
        QString savedSection, savedKey, readSection, readKey;
    };
    const Case cases[] = {
        {"HiSet", "ReportColor", "hiSet", "REPORTCOLOR"},
        {"Excel", "Working Soft Hwnd", "EXCEL", "working soft hwnd"},
        {"Ä", "Ölmenge", "ä", "ölMENGE"},
        {"ΣΑΣ", "Ключ", "σας", "КЛЮЧ"},
        {"inputNOmore_Col", "C:\\BÜCHER\\A.XLSX", "inputnomore_col", "c:\\bücher\\a.xlsx"},
        {"Straße", "Maß", "STRAẞE", "MAẞ"},
    };
    for (const Case& c : cases) {
        const QString value = c.savedSection + c.savedKey;
        settingsSave(c.savedSection, c.savedKey, value);
        EXPECT_EQ(settingsGet(c.readSection, c.readKey), value) << c.readKey.toStdString();
        // Saving under another spelling replaces the one entry rather than adding a second.
        settingsSave(c.readSection, c.readKey, QStringLiteral("again"));
        EXPECT_EQ(settingsGet(c.savedSection, c.savedKey), QStringLiteral("again"));
        settingsDelete(c.readSection, c.savedKey);
        EXPECT_EQ(settingsFind(c.savedSection, c.readKey), std::nullopt);
    }
    // Different names stay different.
    settingsSave(QStringLiteral("HiSet"), QStringLiteral("rTop"), QStringLiteral("1"));
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("rTop ")), std::nullopt);
    EXPECT_EQ(settingsFind(QStringLiteral("HiSets"), QStringLiteral("rTop")), std::nullopt);
    // One character folds to one, so "ß" and "SS" are two names, as the INI file has them.
    settingsSave(QStringLiteral("Straße"), QStringLiteral("Maß"), QStringLiteral("1"));
    EXPECT_EQ(settingsFind(QStringLiteral("STRASSE"), QStringLiteral("Maß")), std::nullopt);
    EXPECT_EQ(settingsFind(QStringLiteral("Straße"), QStringLiteral("MASS")), std::nullopt);
}

TEST_F(Settings, ValuesComeBackUnchanged) {
    const QString values[] = {
        QString(),
        QStringLiteral(" leading and trailing spaces "),
        QStringLiteral("第一行\r\n第二行\t列"),
        QStringView(u"a\0b\0", 4).toString(),
        QString(QChar(0xD800)),                           // lone high surrogate
        QString(QChar(0xDFFF)) + QStringLiteral("x"),     // lone low surrogate
        QString(QChar(0xDC00)) + QString(QChar(0xD800)),  // a pair in the wrong order
        QString::fromUtf16(u"\U0001F600"),                // a proper pair
        QString(100000, QChar(0xFFFF)),
    };
    int n = 0;
    for (const QString& value : values) {
        const QString key = QString::number(n++);
        settingsSave(QStringLiteral("inputNOmore_Col"), key, value);
        const auto back = settingsFind(QStringLiteral("inputNOmore_Col"), key);
        ASSERT_TRUE(back.has_value()) << n;
        EXPECT_EQ(back->size(), value.size()) << n;
        EXPECT_TRUE(*back == value) << n;
    }
    // Names are kept as code units too: the guard setup's keys are scrambled paths.
    const QString scrambledKey = QStringView(u"\0\xD801k", 3).toString();
    settingsSave(QStringLiteral("inputNOmore_Col"), scrambledKey, QStringLiteral("v"));
    EXPECT_EQ(settingsGet(QStringLiteral("inputNOmore_Col"), scrambledKey), QStringLiteral("v"));
    EXPECT_EQ(settingsFind(QStringLiteral("inputNOmore_Col"), QStringLiteral("k")), std::nullopt);
}

TEST_F(Settings, DeletingWhatIsAbsentIsAnError) {
    // No store at all.
    EXPECT_THROW(settingsDelete(QStringLiteral("HiSet"), QStringLiteral("rCode")), SettingsError);
    EXPECT_THROW(settingsDelete(QStringLiteral("FillColor")), SettingsError);

    settingsSave(QStringLiteral("HiSet"), QStringLiteral("rCode"),
                 QStringLiteral("RunningQX000001"));
    settingsSave(QStringLiteral("HiSet"), QStringLiteral("rLeft"), QStringLiteral("100"));
    settingsSave(QStringLiteral("Excel"), QStringLiteral("Ver"), QStringLiteral("16.0"));
    EXPECT_THROW(settingsDelete(QStringLiteral("HiSet"), QStringLiteral("rTop")), SettingsError);
    EXPECT_THROW(settingsDelete(QStringLiteral("Excel"), QStringLiteral("rCode")), SettingsError);
    EXPECT_THROW(settingsDelete(QStringLiteral("FillColor")), SettingsError);

    EXPECT_NO_THROW(settingsDelete(QStringLiteral("hiset"), QStringLiteral("RCODE")));
    EXPECT_THROW(settingsDelete(QStringLiteral("HiSet"), QStringLiteral("rCode")), SettingsError);
    EXPECT_EQ(settingsGet(QStringLiteral("HiSet"), QStringLiteral("rLeft")), QStringLiteral("100"));

    // A whole section goes with all its keys and nothing else.
    settingsSave(QStringLiteral("HiSet"), QStringLiteral("rTop"), QStringLiteral("200"));
    EXPECT_NO_THROW(settingsDelete(QStringLiteral("HISET")));
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("rLeft")), std::nullopt);
    EXPECT_EQ(settingsFind(QStringLiteral("HiSet"), QStringLiteral("rTop")), std::nullopt);
    EXPECT_EQ(settingsGet(QStringLiteral("Excel"), QStringLiteral("Ver")), QStringLiteral("16.0"));
    EXPECT_THROW(settingsDelete(QStringLiteral("HiSet")), SettingsError);
}

QByteArray foreignDatabase() {
    const QString file = QDir::temp().filePath(
        QStringLiteral("tallimo-foreign-%1.sqlite").arg(QCoreApplication::applicationPid()));
    QFile::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine')", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray content = fileContent(file);
    QFile::remove(file);
    return content;
}

// A settings tree of this program whose header is whole and whose pages behind the first (the
// entries) are overwritten, as a disk fault or a stray write leaves it.
QByteArray damagedBodyDatabase() {
    for (int i = 0; i < 12; ++i)
        settingsSave(QStringLiteral("Section%1").arg(i % 7), QStringLiteral("Key%1").arg(i),
                     QString(40, u'v'));
    QByteArray content = fileContent(settingsFilePath());
    QFile::remove(settingsFilePath());
    const int pageSize = 4096;
    if (content.size() <= pageSize) return {};
    for (qsizetype i = pageSize; i < content.size(); ++i)
        content[i] = char(0x5a ^ (i * 31));
    return content;
}

TEST_F(Settings, ABadFileReadsAsDefaultsAndIsSetAsideBeforeTheNextWrite) {
    const std::pair<const char*, QByteArray> badFiles[] = {
        {"text", QByteArray("this is not a database\n").repeated(300)},
        {"truncated header", QByteArray("SQLite format 3\0", 16) + QByteArray(80, '\xff')},
        {"another program's database", foreignDatabase()},
        {"damaged pages behind a whole header", damagedBodyDatabase()},
    };
    for (const auto& [name, content] : badFiles) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(content.isEmpty());
        QDir(QFileInfo(settingsFilePath()).absolutePath()).removeRecursively();
        writeFile(settingsFilePath(), content);

        EXPECT_EQ(settingsGet(QStringLiteral("HiSet"), QStringLiteral("ReportColor"),
                              QStringLiteral("d")),
                  QStringLiteral("d"));
        // Reading leaves the file alone.
        EXPECT_EQ(fileContent(settingsFilePath()), content);
        // A deletion is a write: the bad file goes aside, and the entry is still absent.
        EXPECT_THROW(settingsDelete(QStringLiteral("HiSet")), SettingsError);

        settingsSave(QStringLiteral("HiSet"), QStringLiteral("ReportColor"), QStringLiteral("1"));
        EXPECT_EQ(settingsGet(QStringLiteral("HiSet"), QStringLiteral("ReportColor")),
                  QStringLiteral("1"));
        const QStringList aside = setAsideFiles();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(fileContent(QFileInfo(settingsFilePath()).dir().filePath(aside.first())),
                  content);
    }
}

TEST_F(Settings, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kKeysPerWriter = 300;
    std::atomic<bool> writing = true;
    std::atomic<int> tornReads = 0;
    // Reads while the writers run see either nothing or a whole value.
    std::thread reader([&] {
        while (writing) {
            for (const char* prefix : {"a", "b"}) {
                const QString key = test::writerKey(QLatin1String(prefix), 7);
                const auto value = settingsFind(test::kWriterSection, key);
                if (value && *value != test::writerValue(key)) ++tornReads;
            }
        }
    });
    const bool succeeded =
        test::runWritersAtOnce({{"settings", "a", QString::number(kKeysPerWriter)},
                                {"settings", "b", QString::number(kKeysPerWriter)}});
    writing = false;
    reader.join();
    ASSERT_TRUE(succeeded);
    EXPECT_EQ(tornReads, 0);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysPerWriter; ++i) {
            const QString key = test::writerKey(QLatin1String(prefix), i);
            ASSERT_EQ(settingsGet(test::kWriterSection, key), test::writerValue(key))
                << key.toStdString();
        }
    }
}

TEST_F(Settings, TwoProcessesMeetingABadFileSetItAsideOnce) {
    writeFile(settingsFilePath(), QByteArray("not a database\n").repeated(100));
    ASSERT_TRUE(test::runWritersAtOnce({{"settings", "a", "20"}, {"settings", "b", "20"}}));
    EXPECT_EQ(setAsideFiles().size(), 1);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < 20; ++i) {
            const QString key = test::writerKey(QLatin1String(prefix), i);
            ASSERT_EQ(settingsGet(test::kWriterSection, key), test::writerValue(key))
                << key.toStdString();
        }
    }
}

}  // namespace
}  // namespace tallimo
