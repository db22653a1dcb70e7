#pragma once

#include <QImage>

// The picture behind the scenario dialog's Help button: how the markers at the start and end of a
// scenario line choose its look on the published page.
class TokensPicture {
public:
    QImage Draw() const;
};
