#pragma once

class QPainter;
class QRectF;

namespace tallimo::reconciler {

// The maintenance dialog's picture: a sheet with a wrench laid over it, drawn into `box`.
void paintMaintenancePicture(QPainter& painter, const QRectF& box);

}  // namespace tallimo::reconciler
