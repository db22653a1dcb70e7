#pragma once

#include "support/WString.h"

#include <QDialog>

#include <functional>

class QPlainTextEdit;

// "Scenario Description": the map's scenario in one multi-line field. Every stored line is shown as
// a paragraph of its own, followed by a blank line; what the user confirms comes back with each
// paragraph break, and each line break typed, as one stored line feed.
class CScenarioDialog : public QDialog {
    Q_OBJECT

public:
    // showHelp runs for the Help button; the dialog stays open.
    CScenarioDialog(const WString& stored, std::function<void()> showHelp, QWidget* parent = nullptr);

    // The field's text in the stored form.
    WString Scenario() const;
    QPlainTextEdit& Field() { return *field_; }
    void PressHelp();

private:
    QPlainTextEdit* field_ = nullptr;
    std::function<void()> showHelp_;
};
