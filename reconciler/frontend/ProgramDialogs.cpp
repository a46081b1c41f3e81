#include "ProgramDialogs.h"

#include "FrmHJ.h"
#include "FrmMain.h"
#include "aFrm.h"

#include <memory>

namespace tallimo::reconciler {

void connectProgramDialogs(aFrm& panel) {
    Services& services = panel.frontend().services;
    MaintenanceServices maintenanceServices;
    maintenanceServices.messages = services.messages;
    maintenanceServices.windows = services.windows;
    maintenanceServices.createHost = services.createHost;
    maintenanceServices.programFolder = services.programFolder;
    // Made once and kept by the panel's services, so that it lives exactly as long as the panel.
    auto maintenance = std::make_shared<FrmHJ>(maintenanceServices);
    QObject::connect(maintenance.get(), &FrmHJ::panelShowRequested, &panel, &QWidget::show);
    QObject::connect(maintenance.get(), &FrmHJ::areasForgotten, &panel, &aFrm::forgetAreas);
    services.runFirstStartMaintenance = [maintenance] { return maintenance->runAtFirstStart(); };
    services.openMaintenanceFromPanel = [maintenance] { maintenance->openFromPanel(); };
    services.runGuardSetup = [](const QString& workbookPath) { showGuardSetup(workbookPath); };
}

}  // namespace tallimo::reconciler
