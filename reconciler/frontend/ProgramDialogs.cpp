#include "ProgramDialogs.h"

#include "FrmHJ.h"
#include "FrmMain.h"
#include "ReconcilerWindows.h"
#include "aFrm.h"

#include <memory>

namespace tallimo::reconciler {

void connectProgramDialogs(ReconcilerWindows& windows) {
    Services& services = windows.services;
    MaintenanceServices maintenanceServices;
    maintenanceServices.messages = services.messages;
    maintenanceServices.windows = services.windows;
    maintenanceServices.createHost = services.createHost;
    maintenanceServices.programFolder = services.programFolder;
    // Made once and kept by the windows' services, so that it lives exactly as long as they do.
    auto maintenance = std::make_shared<FrmHJ>(maintenanceServices);
    QObject::connect(maintenance.get(), &FrmHJ::panelShowRequested, &windows.panel(),
                     &QWidget::show);
    QObject::connect(maintenance.get(), &FrmHJ::areasForgotten, &windows.session,
                     &ReconcileSession::forgetAreas);
    services.runFirstStartMaintenance = [maintenance] { return maintenance->runAtFirstStart(); };
    services.openMaintenanceFromPanel = [maintenance] { maintenance->openFromPanel(); };
    services.runGuardSetup = [](const QString& workbookPath) { showGuardSetup(workbookPath); };
}

}  // namespace tallimo::reconciler
