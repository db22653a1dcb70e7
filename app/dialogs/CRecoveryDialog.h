#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QTreeWidget;

// Offers the autosave copies a run that did not end normally left behind: one row per copy with the
// map's name, when the copy was written and the file it belongs to. Recover is the default button,
// so Enter brings the maps back.
class CRecoveryDialog : public QDialog {
    Q_OBJECT

public:
    struct Row {
        QString mapName;
        QString savedAt;
        // The map's file, or empty for a map that was never saved.
        QString originalPath;
        // Why the copy cannot be recovered; empty when it can.
        QString problem;
    };
    enum class Answer { Recover, Discard, Later };

    static constexpr const char* kCaption = "Recover Unsaved Maps";
    static constexpr const char* kIntro =
        "Gridvellum did not end normally. Autosave kept the unsaved changes of these maps:";

    CRecoveryDialog(const std::vector<Row>& rows, QWidget* parent = nullptr);
    ~CRecoveryDialog() override;

    // Closing the dialog decides later: nothing is lost.
    Answer Choice() const { return answer_; }
    static Answer Ask(const std::vector<Row>& rows, QWidget* parent);

private:
    Answer answer_ = Answer::Later;
    QTreeWidget* list_;
};
