#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Step {
    QStringList args;
    int exitCode;
    QString out;     // stdout, exactly
    bool errorLine;  // a message on stderr
};

// The stand-in as a script would drive it, step after step on one settings tree and one INI file.
TEST(Addin, SubCommandsAnswerWithTheirExitCodesAndOutput) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString ini = folder.filePath(QStringLiteral("Set.ini"));
    const Step steps[] = {
        {{"settings", "set", "HiSet", "ReportColor", "1"}, 0, "", false},
        {{"settings", "get", "hiset", "REPORTCOLOR"}, 0, "1\n", false},
        {{"settings", "get", "HiSet", "Absent"}, 0, "", false},
        {{"settings", "set", "RangeSel", "BD_L1", "F列"}, 0, "", false},
        {{"settings", "get", "rangesel", "bd_l1"}, 0, "F列\n", false},
        {{"settings", "delete", "HiSet", "Absent"}, 1, "", true},
        {{"settings", "delete", "HiSet", "reportcolor"}, 0, "", false},
        {{"settings", "delete", "HiSet", "ReportColor"}, 1, "", true},
        {{"settings", "delete", "RANGESEL"}, 0, "", false},
        {{"settings", "delete", "RangeSel"}, 1, "", true},
        {{"settings", "get", "HiSet"}, 2, "", true},
        {{"settings", "set", "HiSet", "K", "V", "extra"}, 2, "", true},
        {{"ini", "set", "CommuCF", "CallCFFromDZ", "1", "--file", ini}, 0, "", false},
        {{"ini", "get", "commucf", "callcffromdz", "--file", ini}, 0, "1\n", false},
        {{"ini", "set", "CommuCF", "CallCFFromDZ", "   ", "--file", ini}, 1, "", true},
        {{"ini", "delete", "CommuCF", "CallCFFromDZ", "--file", ini}, 0, "", false},
        {{"ini", "get", "CommuCF", "CallCFFromDZ", "--file", ini}, 0, "", false},
        {{"ini", "delete", "CommuCF", "CallCFFromDZ", "--file", ini}, 1, "", true},
        {{"ini", "delete", "CommuCF", "CallCFFromDZ", "--file", folder.filePath("none.ini")},
         1,
         "",
         true},
        {{"ini", "get", "CommuCF", "CallCFFromDZ", "--file"}, 2, "", true},
        {{}, 2, "", true},
        {{"no-such-command"}, 2, "", true},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args.join(u' ').toStdString());
        QProcess addin;
        addin.setProcessEnvironment(environment);
        addin.start(QStringLiteral(TALLIMO_ADDIN), step.args);
        ASSERT_TRUE(addin.waitForFinished(30000));
        EXPECT_EQ(addin.exitCode(), step.exitCode);
        EXPECT_EQ(QString::fromUtf8(addin.readAllStandardOutput()), step.out);
        EXPECT_EQ(!addin.readAllStandardError().isEmpty(), step.errorLine);
    }
}

// Where the user's configuration folder cannot be made (a file stands in its place, which stops
// root as well), every write fails with a message naming the file and exit 1, never 0.
TEST(Addin, AStoreThatCannotBeWrittenIsAnError) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString blocker = folder.filePath(QStringLiteral("config"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), blocker);
    const QList<QStringList> writes = {{"settings", "set", "HiSet", "ReportColor", "1"},
                                       {"ini", "set", "CommuCF", "CallCFFromDZ", "1"}};
    for (const QStringList& args : writes) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        QProcess addin;
        addin.setProcessEnvironment(environment);
        addin.start(QStringLiteral(TALLIMO_ADDIN), args);
        ASSERT_TRUE(addin.waitForFinished(30000));
        EXPECT_EQ(addin.exitCode(), 1);
        const QString error = QString::fromUtf8(addin.readAllStandardError());
        EXPECT_TRUE(error.contains(blocker + QStringLiteral("/RivaDare4Ruzar")))
            << error.toStdString();
    }
}

}  // namespace
