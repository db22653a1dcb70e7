#include "app/MapPrinting.h"

#include "app/PrintProgressDialog.h"
#include "document/CGridvellumDoc.h"
#include "platform/PagePainter.h"
#include "support/MessageSink.h"
#include "support/WString.h"
#include "view/PrintJob.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const char* const kPosterText = "Print as a poster: one grid cell per inch on as many pages as needed";

// The wait cursor for as long as the print runs, however it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

MapPrinting::MapPrinting(CGridvellumDoc& doc, MessageSink& messages, QWidget* parent)
    : doc_(doc), messages_(messages), parent_(parent) {}

MapPrinting::~MapPrinting() = default;

QPrinter& MapPrinting::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void MapPrinting::Print() {
    QPrintDialog dialog(&Printer(), parent_);
    auto* options = new QWidget;
    options->setWindowTitle(QStringLiteral("Poster"));
    auto* layout = new QVBoxLayout(options);
    auto* poster = new QCheckBox(QString::fromLatin1(kPosterText), options);
    poster->setChecked(poster_);
    layout->addWidget(poster);
    auto* hint =
        new QLabel(QStringLiteral("Neighbouring pages overlap by a quarter inch; cut along the marks "
                                  "and lay the pages edge to edge."),
                   options);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addStretch();
    dialog.setOptionTabs({options});
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    poster_ = poster->isChecked();
    PrintOn(Printer());
}

void MapPrinting::PrintSetup() {
    QPageSetupDialog dialog(&Printer(), parent_);
    dialog.exec();
}

void MapPrinting::PrintPreview() {
    QPrintPreviewDialog preview(&Printer(), parent_);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* printer) { PrintOn(*printer); });
    // The poster choice beside the preview's own buttons, so both layouts can be looked at.
    auto* toolBar = preview.findChild<QToolBar*>();
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    if (toolBar && widget) {
        toolBar->addSeparator();
        QAction* poster = toolBar->addAction(QStringLiteral("Poster"));
        poster->setCheckable(true);
        poster->setChecked(poster_);
        poster->setToolTip(QString::fromLatin1(kPosterText));
        QObject::connect(poster, &QAction::toggled, &preview, [this, widget](bool on) {
            poster_ = on;
            widget->updatePreview();
        });
    }
    preview.exec();
}

bool MapPrinting::PrintOn(QPrinter& printer) {
    WaitCursor wait;
    PagePainter painter;
    if (!painter.Begin(printer)) {
        Report("The printer could not be started.");
        return false;
    }
    PrintProgressDialog progress(parent_);
    PrintJob job(doc_, painter, poster_, &progress);
    switch (job.Run()) {
    case PrintJob::Result::Printed:
        if (!painter.End()) {
            Report("The printer did not accept the pages.");
            return false;
        }
        return true;
    case PrintJob::Result::Cancelled:
        printer.abort();
        return false;
    case PrintJob::Result::Failed:
        printer.abort();
        Report((job.Problem() + ".").c_str());
        return false;
    }
    return false;
}

void MapPrinting::Report(const char* problem) {
    WString text(u"Could not print: ");
    text.Append(WString::FromUtf8(problem));
    messages_.ShowError(WString(u"Gridvellum"), text);
}
