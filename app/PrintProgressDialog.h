#pragma once

#include "view/PrintProgress.h"

#include <memory>

class QProgressDialog;
class QWidget;

// A print's progress in a dialog with Cancel. It appears only when the print takes a while, so a
// small map prints without a flash of a window.
class PrintProgressDialog : public PrintProgress {
public:
    explicit PrintProgressDialog(QWidget* parent);
    ~PrintProgressDialog() override;

    bool Advance(int done, int total) override;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};
