#pragma once

// Told how far a publish has come, between bands; answers whether to go on. The editor shows a
// progress dialog with Cancel behind it, the command line nothing.
class PublishProgress {
public:
    virtual ~PublishProgress() = default;
    // rowsDone of rowsTotal picture rows are drawn and written. False cancels the publish.
    virtual bool Continue(int rowsDone, int rowsTotal) = 0;
};
