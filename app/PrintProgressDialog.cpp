#include "app/PrintProgressDialog.h"

#include <QProgressDialog>

namespace {
constexpr int kShowAfterMilliseconds = 700;
}

PrintProgressDialog::PrintProgressDialog(QWidget* parent)
    : dialog_(std::make_unique<QProgressDialog>(QStringLiteral("Printing the map..."),
                                                QStringLiteral("Cancel"), 0, 1, parent)) {
    dialog_->setWindowTitle(QStringLiteral("Print"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMilliseconds);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

PrintProgressDialog::~PrintProgressDialog() = default;

bool PrintProgressDialog::Advance(int done, int total) {
    dialog_->setMaximum(total);
    // A window-modal dialog handles its events here, so Cancel is seen between two parts.
    dialog_->setValue(done);
    return !dialog_->wasCanceled();
}
