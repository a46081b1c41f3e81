#pragma once

#include "Entries.h"
#include "FakeWindowSystem.h"
#include "FrmKL.h"
#include "FrmKL_DuiBi.h"
#include "FrmZC.h"
#include "MemoryHost.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "ReconcilerWindows.h"
#include "SingleInstance.h"
#include "StoreFixture.h"
#include "aFrm.h"
#include "bFrm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <memory>

namespace tallimo::reconciler::test {

inline QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// A panel with recording doubles for every outside service, on a settings store of its own.
class PanelFixture : public tallimo::test::TemporaryStore {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "reconciler_frontend_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }

    void SetUp() override {
        TemporaryStore::SetUp();
        messages.shown.clear();
        processes.starts.clear();
        instances.running.clear();
        windows = {};
        ends = 0;
        firstStartMaintenances = 0;
        guardSetups.clear();
        qputenv("HOME", QFile::encodeName(path(QStringLiteral("home"))));
        // The shown result is handed to xdg-open; a stand-in that opens nothing.
        QDir().mkpath(path(QStringLiteral("bin")));
        QFile opener(path(QStringLiteral("bin/xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nexit 0\n");
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (savedPath_.isEmpty()) savedPath_ = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(path(QStringLiteral("bin"))) + ':' + savedPath_);
        entries::excel::chAddin().save(QStringLiteral("/addins/reconciler_Addin64.xlam"));
        entries::excel::ver().save(QStringLiteral("16.0"));
        Services services;
        services.messages = &messages;
        services.clipboard = &clipboard;
        services.processes = &processes;
        services.windows = &windows;
        services.createHost = [this] {
            ++hostsMade;
            auto made = std::make_unique<host::Application>(host::makeMemoryHost());
            hostApp = made.get();
            return made;
        };
        services.clock = [] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); };
        services.programFolder = QStringLiteral("/opt/tallimo/Data");
        services.endProgram = [this] { ++ends; };
        services.runFirstStartMaintenance = [this] {
            ++firstStartMaintenances;
            return firstStartMaintenanceGoesOn;
        };
        services.runGuardSetup = [this](const QString& path) { guardSetups << path; };
        program = std::make_unique<ReconcilerWindows>(services);
        panel = &program->panel();
    }
    void TearDown() override {
        program.reset();
        qputenv("PATH", savedPath_);
    }

    bool startUp(const QString& commandLine = {}) {
        return panel->startUp(commandLine, QStringLiteral("1.1.0.1"), instances);
    }
    ReconcilerWindows& f() { return *program; }
    ReconcileSession& session() { return program->session; }
    bFrm& range() { return program->range(); }
    FrmKL& roles() { return program->roles(); }
    FrmKL_DuiBi& relation() { return program->relation(); }

    // The add-in's answer to a selection made while the range window is open; `titles` are
    // those of the row above, TAB-joined.
    void answerSelection(const QString& range, const QString& text,
                         const QString& sheet = QStringLiteral("Sheet1"),
                         const QString& book = QStringLiteral("Book1.xlsx"),
                         const QString& titles = {}) {
        using namespace entries::rangeSel;
        fromParent().save(platform::handleText(program->range().windowHandle()));
        fromSon().save(platform::handleText(program->range().textBoxHandle()));
        hwndExcel().save(QStringLiteral("4711"));
        wkName().save(book);
        sName().save(book);
        sht().save(sheet);
        rng().save(range);
        rngTitles().save(titles);
        clipboard.value = text;
    }
    // Area button, the add-in's answer, confirmation.
    void selectArea(int areaIndex, const QString& range, const QString& text,
                    const QString& sheet = QStringLiteral("Sheet1")) {
        panel->chooseArea(areaIndex);
        answerSelection(range, text, sheet);
        program->range().confirm();
    }

    ui::RecordingMessageBoxes messages;
    ui::FakeClipboardText clipboard;
    platform::RecordingProcessStarter processes;
    platform::FakeWindowSystem windows;
    platform::FakeInstanceLock instances;
    host::Application* hostApp = nullptr;
    int hostsMade = 0;
    int ends = 0;
    int firstStartMaintenances = 0;
    bool firstStartMaintenanceGoesOn = true;
    QStringList guardSetups;
    std::unique_ptr<ReconcilerWindows> program;
    aFrm* panel = nullptr;

private:
    QByteArray savedPath_;
};

}  // namespace tallimo::reconciler::test
