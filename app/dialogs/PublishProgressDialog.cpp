#include "app/dialogs/PublishProgressDialog.h"

#include <QApplication>
#include <QCursor>
#include <QProgressDialog>

namespace {
// A publish that ends sooner shows only the wait cursor.
constexpr int kShowAfterMs = 700;
} // namespace

PublishProgressDialog::PublishProgressDialog(QWidget* parent)
    : dialog_(std::make_unique<QProgressDialog>(QStringLiteral("Publishing the map..."),
                                                QStringLiteral("Cancel"), 0, 100, parent)) {
    dialog_->setWindowTitle(QStringLiteral("Publish to JPEG"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

PublishProgressDialog::~PublishProgressDialog() {
    QApplication::restoreOverrideCursor();
}

bool PublishProgressDialog::Continue(int rowsDone, int rowsTotal) {
    dialog_->setMaximum(std::max(rowsTotal, 1));
    // setValue lets the dialog appear and handles the events of a modal progress, Cancel included.
    dialog_->setValue(std::min(rowsDone, dialog_->maximum()));
    return !dialog_->wasCanceled();
}
