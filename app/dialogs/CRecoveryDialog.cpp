#include "app/dialogs/CRecoveryDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CRecoveryDialog::CRecoveryDialog(const std::vector<Row>& rows, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
    setObjectName("RecoveryDialog");
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kIntro, this));

    list_->setColumnCount(3);
    list_->setHeaderLabels({"Map", "Saved", "File"});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    for (const Row& row : rows) {
        const QString file = row.originalPath.isEmpty() ? QStringLiteral("(never saved)") : row.originalPath;
        const QString saved =
            row.problem.isEmpty() ? row.savedAt : QStringLiteral("cannot be read: %1").arg(row.problem);
        list_->addTopLevelItem(new QTreeWidgetItem(QStringList{row.mapName, saved, file}));
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* recover = buttons->addButton("&Recover", QDialogButtonBox::AcceptRole);
    QPushButton* discard = buttons->addButton("&Discard", QDialogButtonBox::DestructiveRole);
    QPushButton* later = buttons->addButton("Decide &Later", QDialogButtonBox::RejectRole);
    recover->setDefault(true);
    recover->setFocus();
    connect(recover, &QPushButton::clicked, this, [this] {
        answer_ = Answer::Recover;
        accept();
    });
    connect(discard, &QPushButton::clicked, this, [this] {
        answer_ = Answer::Discard;
        accept();
    });
    connect(later, &QPushButton::clicked, this, [this] {
        answer_ = Answer::Later;
        reject();
    });
    layout->addWidget(buttons);
    resize(640, 240);
}

CRecoveryDialog::~CRecoveryDialog() = default;

CRecoveryDialog::Answer CRecoveryDialog::Ask(const std::vector<Row>& rows, QWidget* parent) {
    CRecoveryDialog dialog(rows, parent);
    dialog.exec();
    return dialog.Choice();
}
