#include "raster/RowWindow.h"

namespace {

thread_local int windowFirst = INT_MIN;
thread_local int windowLast = INT_MAX;

} // namespace

RowWindow::RowWindow(int first, int last) : savedFirst_(windowFirst), savedLast_(windowLast) {
    windowFirst = first;
    windowLast = last;
}

RowWindow::~RowWindow() {
    windowFirst = savedFirst_;
    windowLast = savedLast_;
}

int RowWindow::First() {
    return windowFirst;
}

int RowWindow::Last() {
    return windowLast;
}
