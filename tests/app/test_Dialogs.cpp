#include "app/dialogs/CAboutDialog.h"
#include "app/dialogs/CScaleDialog.h"
#include "app/dialogs/CScenarioDialog.h"
#include "app/dialogs/CTileColorDialog.h"
#include "common/ScratchDir.h"
#include "platform/QtText.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

TEST(DialogsTest, ScaleFieldsThatReadAsNothingComeBackAsOne) {
    CScaleDialog dialog(TileScaleValues{u"2.5", u"0.75"});
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Tile Scale");
    EXPECT_EQ(dialog.XField().text().toStdString(), "2.5");
    for (const char* typed : {"", "0", "0.0", "-0", "nothing", "nan", "inf"}) {
        dialog.XField().setText(QString::fromLatin1(typed));
        dialog.YField().setText(QStringLiteral("3"));
        const TileScaleValues values = dialog.Values();
        EXPECT_EQ(values.x.ToUtf8(), "1.0") << "\"" << typed << "\"";
        EXPECT_EQ(values.y.ToUtf8(), "3");
    }
    dialog.XField().setText(QStringLiteral("0.5"));
    EXPECT_EQ(dialog.Values().x.ToUtf8(), "0.5");
}

TEST(DialogsTest, ColorSlidersReadFromTheTopAndThePreviewShowsTheTint) {
    CTileColorDialog dialog(TileColorValues{1.0, 0.5, 0.0, 0.5});
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Tile Color");
    QSlider& red = dialog.Slider(CTileColorDialog::kRed);
    EXPECT_EQ(red.minimum(), 0);
    EXPECT_EQ(red.maximum(), 1000);
    EXPECT_EQ(red.tickInterval(), 250);
    // The start values stand on the sliders, the top meaning 1.
    EXPECT_EQ(red.value(), 0);
    EXPECT_EQ(dialog.Slider(CTileColorDialog::kGreen).value(), 500);
    EXPECT_EQ(dialog.Slider(CTileColorDialog::kBlue).value(), 1000);

    // The 17 x 5 squares at (10, 10): even ones the tint over black, odd ones over white.
    QImage shown = dialog.grab().toImage();
    auto square = [&shown](int column, int row) {
        return shown.pixelColor(10 + column * 10 + 5, 10 + row * 10 + 5).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(square(0, 0), 0x7F3F00u);  // (127.5, 63.75, 0)
    EXPECT_EQ(square(1, 0), 0xFFBF7Fu);  // (255, 191.25, 127.5)
    EXPECT_EQ(square(0, 1), 0xFFBF7Fu);  // square 17 continues the row before
    EXPECT_EQ(square(16, 4), 0x7F3F00u); // square 84
    EXPECT_EQ(shown.pixelColor(10 + 170 + 2, 15).rgb() & 0xFFFFFF,
              dialog.palette().window().color().rgb() & 0xFFFFFF);

    // Moving a slider repaints the preview at once.
    dialog.Slider(CTileColorDialog::kAlpha).setValue(0); // alpha 1: the tint alone
    QApplication::processEvents();
    shown = dialog.grab().toImage();
    EXPECT_EQ(square(0, 0), 0xFF7F00u);
    EXPECT_EQ(square(1, 0), 0xFF7F00u);

    red.setValue(0);
    dialog.Slider(CTileColorDialog::kGreen).setValue(500);
    dialog.Slider(CTileColorDialog::kBlue).setValue(1000);
    const TileColorValues values = dialog.Values();
    EXPECT_DOUBLE_EQ(values.red, 1.0);
    EXPECT_DOUBLE_EQ(values.green, 0.5);
    EXPECT_DOUBLE_EQ(values.blue, 0.0);
    EXPECT_DOUBLE_EQ(values.alpha, 1.0);
    // Defaults when the caller sets nothing: black at a quarter strength.
    CTileColorDialog plain(TileColorValues{});
    EXPECT_EQ(plain.Slider(CTileColorDialog::kAlpha).value(), 750);
}

TEST(DialogsTest, ScenarioLinesShowAsParagraphsAndComeBackAsStored) {
    int helpPresses = 0;
    CScenarioDialog dialog(u"A\nB", [&helpPresses] { ++helpPresses; });
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Scenario Description");
    EXPECT_EQ(dialog.Field().toPlainText().toStdString(), "A\n\nB");
    EXPECT_EQ(dialog.Scenario().ToUtf8(), "A\nB");
    // A line break typed by the user is one stored line feed too.
    dialog.Field().setPlainText(QStringLiteral("A\n\nB\nC"));
    EXPECT_EQ(dialog.Scenario().ToUtf8(), "A\nB\nC");
    dialog.PressHelp();
    EXPECT_EQ(helpPresses, 1);
}

TEST(DialogsTest, AboutNamesTheVersionCopyrightAndWhatOpenGlSays) {
    AboutValues values;
    values.copyright = u"(c) Maps";
    EXPECT_EQ(CAboutDialog::InfoText(values).ToUtf8(), "Copyright : (c) Maps\r\n\r\nOpenGL is not in use");
    CAboutDialog dialog(values);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "About Gridvellum");
    EXPECT_TRUE(dialog.Info().isReadOnly());
    EXPECT_EQ(dialog.Info().toPlainText().toStdString(), "Copyright : (c) Maps\n\nOpenGL is not in use");
    bool versionShown = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        versionShown = versionShown || label->text() == QStringLiteral("Gridvellum Version 3.0.6.0");
    }
    EXPECT_TRUE(versionShown);

    values.openGlInUse = true;
    values.openGlVersion = u"4.5";
    values.openGlExtensions = u"GL_A GL_ARB_texture_non_power_of_two";
    values.maxTextureSize = 16384;
    EXPECT_EQ(CAboutDialog::InfoText(values).ToUtf8(),
              "Copyright : (c) Maps\r\n\r\nOpenGL Version : 4.5\r\nOpenGL texture sizes can be any value."
              "\r\nMax texture size: 16384\r\n\r\nExtensions : \r\nGL_A\r\nGL_ARB_texture_non_power_of_two");
    values.openGlExtensions = u"GL_A";
    EXPECT_NE(CAboutDialog::InfoText(values).Find(u"\r\nOpenGL texture sizes must be a power of 2."), -1);
}

// The desktop's opener as a script early on PATH: it writes what it was asked to open and exits
// with the given status.
class StandInOpener {
public:
    explicit StandInOpener(int exitStatus) : savedPath_(qgetenv("PATH")) {
        dir_.Write("bin/xdg-open", "#!/bin/sh\necho \"$@\" >> \"" + dir_.Join("asked.txt") + "\"\nexit " +
                                       std::to_string(exitStatus) + "\n");
        ::chmod(dir_.Join("bin/xdg-open").c_str(), 0755);
        qputenv("PATH", QByteArray::fromStdString(dir_.Join("bin") + ":") + savedPath_);
    }
    ~StandInOpener() { qputenv("PATH", savedPath_); }
    std::string Asked() const { return dir_.Read("asked.txt"); }
    const testsupport::ScratchDir& Dir() const { return dir_; }

private:
    testsupport::ScratchDir dir_;
    QByteArray savedPath_;
};

TEST(DesktopOpenerTest, NamesTheFileWhenNothingCanShowItAndNeverWaits) {
    StandInOpener opener(3);
    opener.Dir().Write("help.txt", "help");
    const WString path = opener.Dir().WJoin("help.txt");
    std::string failure;
    const bool started = ShellOpen::Open(path, [&failure](const WString& shown, const WString& reason) {
        failure = shown.ToUtf8() + ": " + reason.ToUtf8();
    });
    EXPECT_TRUE(started);
    // Nothing is known yet: the program went on without waiting.
    EXPECT_TRUE(failure.empty());
    const QDeadlineTimer deadline(10000);
    while (failure.empty() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(failure, path.ToUtf8() + ": no application on this desktop could open it");
    EXPECT_EQ(opener.Asked(), path.ToUtf8() + "\n");

    // A file that is not there is named at once, and the opener is not asked.
    std::string missing;
    EXPECT_FALSE(
        ShellOpen::Open(opener.Dir().WJoin("gone.txt"),
                        [&missing](const WString&, const WString& reason) { missing = reason.ToUtf8(); }));
    EXPECT_EQ(missing, "No such file or directory");
    // The finished opener deletes itself from the event loop.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(DesktopOpenerTest, AFileThatOpensReportsNothing) {
    StandInOpener opener(0);
    opener.Dir().Write("report.txt", "report");
    bool failed = false;
    ASSERT_TRUE(ShellOpen::Open(opener.Dir().WJoin("report.txt"),
                                [&failed](const WString&, const WString&) { failed = true; }));
    const QDeadlineTimer deadline(10000);
    while (opener.Asked().empty() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(opener.Asked(), opener.Dir().Join("report.txt") + "\n");
    EXPECT_FALSE(failed);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
