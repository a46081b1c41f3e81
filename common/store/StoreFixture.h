#pragma once

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallimo::test {

// Points the settings tree at a fresh folder for each test, so that no test touches (or depends
// on) the real user's settings; INI files go to the same folder.
class TemporaryStore : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder_.path()));
    }
    QString path(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
};

}  // namespace tallimo::test
