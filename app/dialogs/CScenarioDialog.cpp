#include "app/dialogs/CScenarioDialog.h"

#include "document/ScenarioText.h"
#include "platform/QtText.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CScenarioDialog::CScenarioDialog(const WString& stored, std::function<void()> showHelp, QWidget* parent)
    : QDialog(parent), showHelp_(std::move(showHelp)) {
    setWindowTitle(QStringLiteral("Scenario Description"));
    field_ = new QPlainTextEdit(this);
    // The text widget breaks lines with bare line feeds.
    field_->setPlainText(ToQString(ScenarioText::ToDialog(stored, u"\n")));
    field_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field_->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &CScenarioDialog::PressHelp);
    // Enter belongs to the text: no button takes it as the default.
    for (QAbstractButton* button : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    }
    layout->addWidget(buttons);
    resize(520, 380);
}

WString CScenarioDialog::Scenario() const {
    return ScenarioText::FromDialog(FromQString(field_->toPlainText()));
}

void CScenarioDialog::PressHelp() {
    if (showHelp_) {
        showHelp_();
    }
}
