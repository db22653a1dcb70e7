#include "app/dialogs/CScaleDialog.h"

#include "platform/QtText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include <cmath>

CScaleDialog::CScaleDialog(const TileScaleValues& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tile Scale"));
    x_ = new QLineEdit(ToQString(start.x), this);
    y_ = new QLineEdit(ToQString(start.y), this);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("X Scale :"), x_);
    form->addRow(QStringLiteral("Y Scale :"), y_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

WString CScaleDialog::Normalised(const WString& text) {
    const double value = text.AsReal();
    if (text.IsEmpty() || value == 0.0 || !std::isfinite(value)) {
        return WString(u"1.0");
    }
    return text;
}

TileScaleValues CScaleDialog::Values() const {
    return TileScaleValues{Normalised(FromQString(x_->text())), Normalised(FromQString(y_->text()))};
}
