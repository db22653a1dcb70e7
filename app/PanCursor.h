#pragma once

class QCursor;

// The pan tool's own cursor: a hand-drawn grip of four arrows around a dot, black with a white rim
// so it shows on any map.
QCursor MakePanCursor();
