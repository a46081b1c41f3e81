#include "ResultShown.h"

#include "DesktopOpener.h"

namespace tallimo::ui {

std::function<void(const QString& path)> showResultOrTell(MessageBoxes& messages,
                                                          const QString& what) {
    return [&messages, what](const QString& path) {
        platform::openWithDesktop(path, [&messages, what](const QString& file) {
            messages.show(MessageIcon::Information,
                          QStringLiteral("%1已保存在：\n%2\n\n没有可以打开它的程序，"
                                         "请在电子表格程序中打开这个文件。")
                              .arg(what, file));
        });
    };
}

}  // namespace tallimo::ui
