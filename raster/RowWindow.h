#pragma once

#include <climits>

// The destination rows (stored-row order, inclusive) that transformed drawing on the calling thread
// may write, for as long as the object lives; the window before it comes back afterwards. The map's
// frame shares its tiles between two threads by giving each a window of rows. Every pixel inside a
// window gets exactly the bytes a draw without one gives it, because each pixel's sample depends on its
// own position alone and the first row of a window is reached by the same fixed-point steps.
class RowWindow {
public:
    RowWindow(int first, int last);
    ~RowWindow();
    RowWindow(const RowWindow&) = delete;
    RowWindow& operator=(const RowWindow&) = delete;

    // The calling thread's window: every row when no window is open.
    static int First();
    static int Last();

private:
    int savedFirst_;
    int savedLast_;
};
