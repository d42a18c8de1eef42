#include "query/runprogress.h"

#include "app/viewerapp.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QProgressDialog>

namespace
{

constexpr int kProgressSteps = 1000;

} // namespace

RunProgress::RunProgress()
{
    clock.start();
}

RunProgress::~RunProgress() = default;

void RunProgress::testing(std::size_t objectCount)
{
    total = objectCount;
    if (dialog)
        dialog->setLabelText(label());
}

bool RunProgress::goOn(std::size_t done)
{
    if (!dialog) {
        if (clock.elapsed() < quietFor)
            return true;
        dialog =
            std::make_unique<QProgressDialog>(label(), QStringLiteral("Cancel"), 0, kProgressSteps,
                                              ViewerApp::instance()->mainWindow);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setMinimumDuration(0);
        dialog->show();
    }
    dialog->setValue(total ? static_cast<int>(done * kProgressSteps / total) : 0);
    QCoreApplication::processEvents();
    return !dialog->wasCanceled();
}

ReadCheck RunProgress::readCheck()
{
    return ReadCheck([this] { return goOn(0); });
}

QString RunProgress::label() const
{
    return total ? QStringLiteral("Testing %1 objects against the query").arg(total)
                 : QStringLiteral("Reading the query");
}
