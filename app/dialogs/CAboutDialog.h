#pragma once

#include "app/dialogs/DialogValues.h"

#include <QDialog>

class QPlainTextEdit;

// "About Gridvellum": the icon, the version and a read-only text with the tileset's copyright and what
// OpenGL reports when it draws in this run.
class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char16_t* kVersionText = u"Gridvellum Version 3.0.6.0";

    explicit CAboutDialog(const AboutValues& values, QWidget* parent = nullptr);

    // The text with carriage return and line feed pairs; the field shows it with plain line feeds.
    static WString InfoText(const AboutValues& values);
    QPlainTextEdit& Info() { return *info_; }

private:
    QPlainTextEdit* info_ = nullptr;
};
