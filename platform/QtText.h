#pragma once

#include "support/WString.h"

#include <QString>

// The one crossing between the program's wide text and Qt's: both hold UTF-16 code units, so the
// units travel unchanged, unpaired surrogates included.
QString ToQString(const WString& text);
WString FromQString(const QString& text);
