#pragma once

#include "publish/PublishProgress.h"

#include <memory>

class QProgressDialog;
class QWidget;

// The progress of a publish in a dialog with Cancel, shown only when the publish takes long; the
// wait cursor stays up until it is done.
class PublishProgressDialog : public PublishProgress {
public:
    explicit PublishProgressDialog(QWidget* parent);
    ~PublishProgressDialog() override;

    bool Continue(int rowsDone, int rowsTotal) override;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};
