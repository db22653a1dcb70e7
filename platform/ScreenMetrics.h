#pragma once

// Logical dots per inch of the screen: the mean of the horizontal and vertical values of the primary
// screen, or 96 when no screen is known (headless runs, no application object).
int ScreenDotsPerInch();
