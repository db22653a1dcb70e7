#include "app/dialogs/CAboutDialog.h"

#include "platform/QtText.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(const AboutValues& values, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Gridvellum"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    auto* version = new QLabel(ToQString(kVersionText), this);
    auto* head = new QHBoxLayout();
    head->addWidget(icon);
    head->addWidget(version, 1);

    info_ = new QPlainTextEdit(this);
    info_->setReadOnly(true);
    WString shown = InfoText(values);
    shown.ReplaceText(WString(u"\r\n"), WString(u"\n"));
    info_->setPlainText(ToQString(shown));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(info_, 1);
    layout->addWidget(buttons);
    resize(460, 320);
}

WString CAboutDialog::InfoText(const AboutValues& values) {
    WString text(u"Copyright : ");
    text += values.copyright;
    if (!values.openGlInUse) {
        text += u"\r\n\r\nOpenGL is not in use";
        return text;
    }
    text += u"\r\n\r\nOpenGL Version : ";
    text += values.openGlVersion;
    text += values.openGlExtensions.Find(u"GL_ARB_texture_non_power_of_two") >= 0
                ? u"\r\nOpenGL texture sizes can be any value."
                : u"\r\nOpenGL texture sizes must be a power of 2.";
    text += u"\r\nMax texture size: ";
    text += WString::FromInt(values.maxTextureSize);
    text += u"\r\n\r\nExtensions : \r\n";
    WString extensions = values.openGlExtensions;
    extensions.ReplaceText(WString(u" "), WString(u"\r\n"));
    text += extensions;
    return text;
}
