#include "Ini.h"

#include "Entries.h"
#include "Settings.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <QFile>
#include <QFileInfo>

namespace tallimo {
namespace {

class Ini : public test::TemporaryStore {
protected:
    QString file() const { return path(QStringLiteral("Set.ini")); }
    QByteArray content() const {
        QFile in(file());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    void setContent(const QByteArray& bytes) const {
        QFile out(file());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
};

TEST_F(Ini, WritesAndReadsBackInTheStandardLayout) {
    EXPECT_TRUE(iniWrite(QStringLiteral("CommuCF"), QStringLiteral("CallCFFromDZ"),
                         QStringLiteral("1"), file()));
    EXPECT_TRUE(
        iniWrite(QStringLiteral("selColor"), QStringLiteral("0"), QStringLiteral("1"), file()));
    EXPECT_TRUE(
        iniWrite(QStringLiteral("CommuCF"), QStringLiteral("Other"), QStringLiteral("x"), file()));
    EXPECT_TRUE(
        iniWrite(QStringLiteral("selColor"), QStringLiteral("0"), QStringLiteral("0"), file()));
    EXPECT_EQ(content(), "[CommuCF]\nCallCFFromDZ=1\nOther=x\n[selColor]\n0=0\n");
    EXPECT_EQ(iniRead(QStringLiteral("CommuCF"), QStringLiteral("CallCFFromDZ"), file()),
              QStringLiteral("1"));
}

TEST_F(Ini, NamesCompareWithoutRegardToCase) {
    struct Case {
        QString written, read;
    };
    const Case cases[] = {
        {"CommuCF", "commucf"}, {"PreSet", "PRESET"}, {"Ä", "ä"}, {"Ölç", "öLÇ"}, {"Maß", "MAẞ"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(iniWrite(c.written, c.written, QStringLiteral("v1"), file()));
        EXPECT_EQ(iniRead(c.read, c.read, file()), QStringLiteral("v1")) << c.read.toStdString();
        ASSERT_TRUE(iniWrite(c.read, c.read, QStringLiteral("v2"), file()));
        EXPECT_EQ(iniRead(c.written, c.written, file()), QStringLiteral("v2"));
        EXPECT_TRUE(iniDelete(c.read, c.written, file()));
        EXPECT_EQ(iniRead(c.written, c.written, file()), QString());
        EXPECT_FALSE(iniDelete(c.read, c.written, file()));
    }
    EXPECT_EQ(content().count('='), 0);
    // One character folds to one: "ß" and "SS" stay two names, as in the settings tree.
    ASSERT_TRUE(iniWrite(QStringLiteral("Maß"), QStringLiteral("k"), QStringLiteral("v"), file()));
    EXPECT_EQ(iniRead(QStringLiteral("MASS"), QStringLiteral("k"), file()), QString());
}

TEST_F(Ini, ReadsAtMost255BytesCutAtACharacterBoundary) {
    const QString chinese = QStringLiteral("中").repeated(100);  // 3 bytes each
    struct Case {
        const char* name;
        QString written;
        QString expected;
    };
    const Case cases[] = {
        {"300 ASCII", QString(300, u'x'), QString(255, u'x')},
        {"255 ASCII", QString(255, u'y'), QString(255, u'y')},
        {"multi-byte, fits exactly", chinese, chinese.left(85)},
        {"multi-byte, straddles", u'a' + chinese, u'a' + chinese.left(84)},
        {"four-byte characters",
         QStringLiteral("ab") + QString::fromUtf16(u"\U0001F600").repeated(70),
         QStringLiteral("ab") + QString::fromUtf16(u"\U0001F600").repeated(63)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(iniWrite(QStringLiteral("S"), QStringLiteral("K"), c.written, file()));
        const QString back = iniRead(QStringLiteral("S"), QStringLiteral("K"), file());
        EXPECT_EQ(back, c.expected) << c.name;
        EXPECT_LE(back.toUtf8().size(), 255) << c.name;
    }
}

TEST_F(Ini, RefusesBlankOrUnsafeInputAndWritesNothing) {
    const std::tuple<QString, QString, QString> refused[] = {
        {"S", "K", "   "}, {"S", "K", ""},       {"  ", "K", "1"},     {"S", " ", "1"},
        {"", "K", "1"},    {"S", "K", "1\n[X]"}, {"S", "K", "a\r\nb"}, {"S", "K=1", "1"},
        {"S]", "K", "1"},  {"S", ";K", "1"},     {"S", "[K]", "1"},
    };
    for (const auto& [section, key, value] : refused) {
        EXPECT_FALSE(iniWrite(section, key, value, file())) << value.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file()));
    }
}

TEST_F(Ini, MissingFileKeyOrEmptyValueReadsEmpty) {
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("K"), file()), QString());
    setContent("[S]\nK=\nL = spaced value \n[T]\nK=t\n");
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("K"), file()), QString());
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("L"), file()),
              QStringLiteral("spaced value"));
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("Missing"), file()), QString());
    EXPECT_EQ(iniRead(QStringLiteral("Missing"), QStringLiteral("K"), file()), QString());
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral(" "), file()), QString());
    EXPECT_EQ(iniRead(QStringLiteral("T"), QStringLiteral("K"), file()), QStringLiteral("t"));
    // A folder where the file should be is an error, read as empty.
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("K"), path(QString())), QString());
    EXPECT_FALSE(
        iniWrite(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("1"), path(QString())));
}

TEST_F(Ini, NulCharactersAreRemoved) {
    setContent(QByteArray("[S]\nK=a\0b\0c\n", 12));
    EXPECT_EQ(iniRead(QStringLiteral("S"), QStringLiteral("K"), file()), QStringLiteral("abc"));
}

TEST_F(Ini, KeepsOtherLinesByteForByte) {
    // Windows line ends, a comment, a value in another code page.
    const QByteArray original =
        "; options\r\n[PreSet]\r\nIgnorBlank=0\r\nName=\xC4\xE3\xBA\xC3\r\n\r\n[Other]\r\nA=1\r\n";
    setContent(original);
    ASSERT_TRUE(iniWrite(QStringLiteral("PreSet"), QStringLiteral("IgnorBlank"),
                         QStringLiteral("1"), file()));
    ASSERT_TRUE(
        iniWrite(QStringLiteral("preset"), QStringLiteral("New"), QStringLiteral("n"), file()));
    EXPECT_EQ(content(),
              "; options\r\n[PreSet]\r\nIgnorBlank=1\r\nName=\xC4\xE3\xBA\xC3\r\nNew=n\r\n\r\n"
              "[Other]\r\nA=1\r\n");
    iniDelete(QStringLiteral("PRESET"), QStringLiteral("ignorblank"), file());
    iniDelete(QStringLiteral("PreSet"), QStringLiteral("Absent"), file());
    iniDelete(QStringLiteral("Absent"), QStringLiteral("A"), file());
    EXPECT_EQ(content(),
              "; options\r\n[PreSet]\r\nName=\xC4\xE3\xBA\xC3\r\nNew=n\r\n\r\n[Other]\r\nA=1\r\n");
}

TEST_F(Ini, DeletingFromAMissingFileCreatesNothing) {
    iniDelete(QStringLiteral("CommuCF"), QStringLiteral("CallCFFromDZ"), file());
    EXPECT_FALSE(QFileInfo::exists(file()));
}

TEST_F(Ini, TwoProcessesWritingAtOnceKeepEachOthersKeys) {
    constexpr int kKeysPerWriter = 150;
    ASSERT_TRUE(test::runWritersAtOnce({{"ini", file(), "a", QString::number(kKeysPerWriter)},
                                        {"ini", file(), "b", QString::number(kKeysPerWriter)}}));
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysPerWriter; ++i) {
            const QString key = test::writerKey(QLatin1String(prefix), i);
            ASSERT_EQ(iniRead(test::kWriterSection, key, file()), key);
        }
    }
}

TEST_F(Ini, DefaultFileIsTheUsersBesideTheSettings) {
    EXPECT_EQ(defaultIniPath(), QFileInfo(settingsFilePath()).absolutePath() + u"/Set.ini"_qs);
    // The folder is made by the first write, private to the user.
    entries::ini::ignorBlank().write(u"1"_qs);
    EXPECT_EQ(entries::ini::ignorBlank().read(), u"1"_qs);
    EXPECT_EQ(QFileInfo(QFileInfo(defaultIniPath()).absolutePath()).permissions() & 0x0077, 0);
}

// An earlier install kept the file in the program folder: its content starts the user's file,
// and only once, so that a reset (which deletes the user's file) does not bring it back.
TEST_F(Ini, EarlierInstallsFileStartsTheUsersOnce) {
    const QString earlier = path(u"Data-Set.ini"_qs);
    ASSERT_TRUE(iniWrite(u"selColor"_qs, u"3"_qs, u"1"_qs, earlier));
    const QString user = userIniPath(earlier);
    EXPECT_EQ(iniRead(u"selColor"_qs, u"3"_qs, user), u"1"_qs);
    ASSERT_TRUE(iniWrite(u"selColor"_qs, u"3"_qs, u"0"_qs, user));
    EXPECT_EQ(iniRead(u"selColor"_qs, u"3"_qs, userIniPath(earlier)), u"0"_qs);
    EXPECT_EQ(iniRead(u"selColor"_qs, u"3"_qs, earlier), u"1"_qs);  // left as it was

    ASSERT_TRUE(QFile::remove(user));
    EXPECT_FALSE(QFile::exists(userIniPath(earlier)));
}

// A write that cannot land is an error that names the file; iniWrite only says false.
TEST_F(Ini, FailedWriteThrowsNamingTheFile) {
    const QString blocker = path(u"not-a-folder"_qs);
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    const QString file = blocker + u"/Set.ini"_qs;
    EXPECT_FALSE(iniWrite(u"PreSet"_qs, u"IgnorBlank"_qs, u"1"_qs, file));
    try {
        entries::ini::ignorBlank().write(u"1"_qs, file);
        ADD_FAILURE() << "no error";
    } catch (const SettingsError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(file)) << e.what();
    }
}

}  // namespace
}  // namespace tallimo
