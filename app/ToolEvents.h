#pragma once

#include "view/tools/ToolEvents.h"

#include <QPoint>

class QKeyEvent;
class QMouseEvent;

// The toolkit's mouse and key events as the tools' plain values.
namespace toolevents {

// The event at a client point of the map view (the event's own position unless the caller mapped
// it from another window, as the tile panel does when it passes a drag on).
PointerEvent FromMouse(const QMouseEvent& event, QPoint clientPt);
PointerEvent FromMouse(const QMouseEvent& event);
ToolKey KeyOf(const QKeyEvent& event);

} // namespace toolevents
