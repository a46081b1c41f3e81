// A selection window of the Tallimo programs for the Calc extension's tests: "range" shows one
// titled like the reconciler's range window with its native text box "Text1", "dupfinder" one
// titled like the duplicate finder's. Prints the window's and the text box's handles, then stays
// until stdin closes.
#include "OwnWindow.h"
#include "WindowSystem.h"

#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>

#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString kind = app.arguments().value(1);
    if (kind != u"range" && kind != u"dupfinder") {
        std::fputs("usage: tallimo_calc_standin range|dupfinder\n", stderr);
        return 2;
    }
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(kind == u"range" ? QStringLiteral("Tallimo20160512$132524")
                                           : QStringLiteral("VarnoqSoftNoSame20160511$132523"));
    window.setStyleSheet(QStringLiteral("background: rgb(1, 204, 254)"));
    window.setGeometry(1500, 140, 220, 60);
    window.show();
    tallimo::platform::WindowHandle son = 0;
    if (kind == u"range") {
        auto* text = new QLineEdit(&window);
        text->setObjectName(QStringLiteral("Text1"));
        text->setGeometry(-400, 0, 60, 20);
        text->show();
        son = tallimo::platform::nativeControlHandle(text);
    }
    std::printf("%lld %lld\n", static_cast<long long>(tallimo::platform::handleOf(&window)),
                static_cast<long long>(son));
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
    });
    return app.exec();
}
