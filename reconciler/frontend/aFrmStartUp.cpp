#include "aFrm.h"

#include "Entries.h"
#include "OwnWindow.h"
#include "Pictures.h"
#include "Placement.h"
#include "ReconcileSession.h"
#include "SingleInstance.h"

#include <QLabel>
#include <QVersionNumber>

namespace tallimo::reconciler {

QString panelTitle(const QString& version) {
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("Tallimo(Y%1.%2版)").arg(number.minorVersion()).arg(number.segmentAt(3));
}

std::optional<QString> guardWorkbookPath(const QString& commandLine) {
    const QString text = commandLine.trimmed();
    if (text.isEmpty() || text == u"0") return std::nullopt;
    // The add-in encloses the text in double quotes; whatever stands there is dropped.
    QString path = text.mid(1, text.size() - 2);
    if (path.startsWith(u"-s|")) path.remove(0, 3);
    return path;
}

bool aFrm::startUp(const QString& commandLine, const QString& version,
                   platform::InstanceLock& instances) {
    // 1. One copy.
    if (!instances.claim(QStringLiteral("reconciler"))) {
        messages().show(ui::MessageIcon::Exclamation,
                        QStringLiteral("软件已在运行中，必须先完成上一个任务再继续。"));
        return false;
    }
    // 2. Place the panel; the options menu loads its marks.
    placeFromRightEdge(this, 400, 1800);
    session_.loadSelectionOptions();

    // 3. A start the add-in asked for while another panel is recorded. A record whose window is
    // gone was left by a copy that ended without closing its panel: it counts as absent.
    const entries::Setting request = entries::excel::diaoYongButton();
    const entries::Setting record = entries::excel::workingSoftHwnd();
    const QString requestedFront = request.get();
    if (!requestedFront.isEmpty()) {
        const auto recorded = platform::parseHandle(record.get());
        if (recorded && services_.windows->windowExists(*recorded)) {
            request.remove();
            return false;
        }
    }

    // 4. The running copy's record.
    record.save(platform::handleText(platform::handleOf(this)));

    // 5. and 6. The title; the guard setup that a command line asks for.
    const QString title = panelTitle(version);
    if (const std::optional<QString> workbook = guardWorkbookPath(commandLine)) {
        hide();
        if (services_.runGuardSetup) services_.runGuardSetup(*workbook);
        return false;
    }

    // 7. The add-in's request for the duplicate finder.
    const entries::Setting finderRequest = entries::excel::diaoYongButtonCF();
    if (finderRequest.get() == entries::excel::duplicateFinderRequest()) {
        picCF_->hide();
        finderRequest.remove();
        handOver();
        if (ending_) return false;
    } else {
        picCF_->show();
    }

    // 8. and 9.
    lblTop_->setFont(panelFont(10, true));
    lblTop_->setText(title);
    session_.loadTableLines();
    session_.loadNearMissSuggestions();
    session_.loadBalanceStatement();

    // 10. First start.
    if (entries::excel::chAddin().get().isEmpty() && services_.runFirstStartMaintenance &&
        !services_.runFirstStartMaintenance())
        return false;

    // 11. to 13.
    platform::makeTopmost(this);
    session_.loadColourMarking();
    timer1_.start();

    // 14. The area-1 selection the add-in asked for, with its window in front.
    if (!requestedFront.isEmpty()) {
        chooseArea(0);
        if (const auto front = platform::parseHandle(requestedFront))
            services_.windows->bringToFront(*front);
        request.remove();
    }

    // 15. The start window is shown even when step 14 hid it.
    setWindowState(Qt::WindowNoState);
    show();
    return true;
}

}  // namespace tallimo::reconciler
