#pragma once

#include "app/dialogs/DialogValues.h"

#include <QDialog>

class QLineEdit;

// "Tile Scale": the X and Y scale of the selected tiles as two text fields.
class CScaleDialog : public QDialog {
    Q_OBJECT

public:
    explicit CScaleDialog(const TileScaleValues& start, QWidget* parent = nullptr);

    // The fields as OK hands them back: a text that is empty, reads as 0 or as no finite number
    // becomes "1.0", so a tile never collapses to nothing or to an undefined size.
    TileScaleValues Values() const;
    static WString Normalised(const WString& text);

    QLineEdit& XField() { return *x_; }
    QLineEdit& YField() { return *y_; }

private:
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
};
