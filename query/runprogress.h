#pragma once

#include "query/conjunction.h"

#include <QElapsedTimer>
#include <QString>

#include <cstddef>
#include <memory>

class QProgressDialog;

// Keeps the window answering during a long query run, from reading the query to its last test:
// once the run has taken quietMilliseconds(), a modal progress dialog shows, and at every check
// the window handles its events and the dialog's Cancel button can stop the run.
class RunProgress
{
public:
    RunProgress();
    ~RunProgress();

    // How long a run goes without showing its progress: 400 ms; tests shorten it.
    static qint64 quietMilliseconds() { return quietFor; }
    static void setQuietMilliseconds(qint64 milliseconds) { quietFor = milliseconds; }

    // From here on the run tests this many objects.
    void testing(std::size_t objectCount);
    // Whether to go on after `done` objects: false once the user cancelled.
    bool goOn(std::size_t done);
    // What reading and preparing the query asks.
    ReadCheck readCheck();

private:
    QString label() const;

    static inline qint64 quietFor = 400;
    std::size_t total = 0;
    QElapsedTimer clock;
    std::unique_ptr<QProgressDialog> dialog;
};
