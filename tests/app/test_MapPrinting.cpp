#include "AppFixture.h"

#include "app/CGridvellumApp.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/MapPrinting.h"
#include "common/PdfPages.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace apptest;

namespace {

constexpr std::uint32_t kFloorRgb = 0xC08040; // floor.png of alpha.set

class MapPrintingTest : public ::testing::Test {
protected:
    MapPrintingTest() {
        app = harness.MakeApp();
        EXPECT_TRUE(app->Start(WString()));
        frame = app->Frame();
        QApplication::processEvents();
    }
    ~MapPrintingTest() override { app.reset(); }

    // columns x rows floor tiles of 32 units: half an inch each at the default 64-unit grid.
    void FillFloor(int columns, int rows) {
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < columns; ++x) {
                TileRef* tile = app->Document().AddTile(0);
                ASSERT_NE(tile, nullptr);
                tile->SetTransform(Matrix3::Translation(32.0 * x, 32.0 * y));
                tile->UpdateBounds();
            }
        }
    }
    // A printer that writes a Letter-sized PDF, as the print dialog's "Print to File" sets it up.
    static void PrintToFile(QPrinter& printer, const std::string& path) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        printer.setPageSize(QPageSize(QPageSize::Letter));
    }

    AppHarness harness;
    std::unique_ptr<CGridvellumApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(MapPrintingTest, FileMenuOffersPrintPreviewAndSetupAfterTheTilesetCommands) {
    ASSERT_NE(frame, nullptr);
    std::vector<std::string> texts;
    for (QAction* action : frame->FileMenu().actions()) {
        if (!action->isSeparator() && action->isVisible()) {
            texts.push_back(action->text().toStdString());
        }
    }
    const auto tileSet = std::find(texts.begin(), texts.end(), "Generate Report");
    ASSERT_NE(tileSet, texts.end());
    ASSERT_GE(texts.end() - tileSet, 4);
    EXPECT_EQ(tileSet[1], "Print...");
    EXPECT_EQ(tileSet[2], "Print Preview...");
    EXPECT_EQ(tileSet[3], "Print Setup...");
    QAction* print = frame->Action(CommandTable::kPrint);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->shortcut().toString(QKeySequence::PortableText).toStdString(), "Ctrl+P");
    EXPECT_NE(frame->Action(CommandTable::kPrintSetup), nullptr);
    EXPECT_NE(frame->Action(CommandTable::kPrintPreview), nullptr);
}

TEST_F(MapPrintingTest, PrinterGetsTheMapAtOneCellPerInchAndThePosterOnThreePages) {
    ASSERT_NE(frame, nullptr);
    FillFloor(8, 4); // 4 x 2 inches
    MapPrinting& printing = app->Printing();
    const std::string onePage = harness.dir.Join("one.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        PrintToFile(printer, onePage);
        ASSERT_TRUE(printing.PrintOn(printer));
    }
    ASSERT_EQ(testsupport::PdfPageCount(onePage), 1);
    const testsupport::PixelBox floor =
        testsupport::BoxOfColor(testsupport::RenderPdfPage(onePage, 1, 100), kFloorRgb);
    EXPECT_NEAR(floor.Width(), 400, 2);
    EXPECT_NEAR(floor.Height(), 200, 2);

    // 40 tiles across are 20 inches: three Letter pages side by side, labelled left to right.
    FillFloor(40, 1);
    printing.SetPoster(true);
    const std::string poster = harness.dir.Join("poster.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        PrintToFile(printer, poster);
        ASSERT_TRUE(printing.PrintOn(printer));
    }
    ASSERT_EQ(testsupport::PdfPageCount(poster), 3);
    for (int column = 1; column <= 3; ++column) {
        EXPECT_NE(testsupport::PdfText(poster, column).find("row 1, column " + std::to_string(column)),
                  std::string::npos);
    }
    EXPECT_TRUE(harness.script.messages.empty());
}

TEST_F(MapPrintingTest, PreviewShowsThePagesAndItsPosterSwitchLaysThemOutAgain) {
    ASSERT_NE(frame, nullptr);
    FillFloor(40, 1); // 20 inches across: one page shrunk, or three as a poster
    app->Printing().Printer().setPageSize(QPageSize(QPageSize::Letter));
    int fitted = 0;
    int posterPages = 0;
    bool switchFound = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (preview == nullptr) {
            return;
        }
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        fitted = widget ? widget->pageCount() : 0;
        for (QAction* action : preview->findChild<QToolBar*>()->actions()) {
            if (action->text() == "Poster") {
                switchFound = true;
                action->setChecked(true);
            }
        }
        posterPages = widget ? widget->pageCount() : 0;
        preview->reject();
    });
    frame->RunCommand(CommandTable::kPrintPreview);
    EXPECT_TRUE(switchFound);
    EXPECT_EQ(fitted, 1);
    EXPECT_EQ(posterPages, 3);
    EXPECT_TRUE(app->Printing().Poster()); // the next print is a poster too
}

TEST_F(MapPrintingTest, PrinterThatCannotStartIsReported) {
    ASSERT_NE(frame, nullptr);
    FillFloor(1, 1);
    QPrinter printer(QPrinter::HighResolution);
    const std::string path = harness.dir.Join("missing/folder/map.pdf");
    PrintToFile(printer, path);
    EXPECT_FALSE(app->Printing().PrintOn(printer));
    ASSERT_EQ(harness.script.messages.size(), 1u);
    EXPECT_EQ(harness.script.messages[0], "Gridvellum|Could not print: The printer could not be started.");
    EXPECT_FALSE(std::filesystem::exists(path));

    // A poster of 1000 x 1000 inches would take over ten thousand pages: refused, and the printer's
    // run is abandoned.
    TileRef* giant = app->Document().AddTile(0);
    giant->SetTransform(Matrix3::Scaling(2000, 2000));
    giant->UpdateBounds();
    app->Printing().SetPoster(true);
    QPrinter poster(QPrinter::HighResolution);
    PrintToFile(poster, harness.dir.Join("giant.pdf"));
    EXPECT_FALSE(app->Printing().PrintOn(poster));
    ASSERT_EQ(harness.script.messages.size(), 2u);
    EXPECT_NE(harness.script.messages[1].find("at most 1000 can be printed."), std::string::npos)
        << harness.script.messages[1];
}

} // namespace
