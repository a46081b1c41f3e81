#include "Launch.h"
#include "ProgramFolder.h"
#include "StandardTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

using namespace tallimo;

namespace {

// The launcher has no window of its own: a display is needed only to report a failure.
void showUnexpectedError(int argc, char* argv[], const QString& description) {
    QApplication app(argc, argv);
    ui::loadChineseStandardTexts();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("警告"),
                    launcher::unexpectedErrorText(description), QMessageBox::Ok);
    box.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    QString failure;
    try {
        const QString folder = programFolder();
        if (folder.isEmpty()) throw std::runtime_error("无法确定启动器所在的文件夹");
        platform::DetachedProcessStarter starter;
        launcher::launch(folder, starter);
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!failure.isEmpty()) showUnexpectedError(argc, argv, failure);
    return 0;
}
