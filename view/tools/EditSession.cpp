#include "view/tools/EditSession.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/UndoHistory.h"

void EditSession::Begin() {
    UndoHistory(doc_).BeginEdit();
    open_ = true;
}

bool EditSession::Commit() {
    if (!open_) {
        return false;
    }
    open_ = false;
    return UndoHistory(doc_).CommitEdit();
}

void EditSession::Cancel() {
    open_ = false;
    doc_.State().changed = false;
    doc_.PreEditSnapshot().reset();
}
