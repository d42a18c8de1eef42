#include "app/viewerapp.h"
#include "support/testapp.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

namespace
{

// The world point at the fix position, as the Basic Info panel shows it.
QPointF fixInWorld()
{
    const ViewerApp* app = ViewerApp::instance();
    return {(app->fixX - app->originX) / app->ratio, (app->originY - app->fixY) / app->ratio};
}

// Types the text into the next "Move Fix Position" dialog; when a warning follows, records its
// text and closes it.
void answerGoto(const QString& text, QString* warning)
{
    QTimer::singleShot(0, [text, warning] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Move Fix Position"));
        QCOMPARE(dialog->labelText(), QStringLiteral("Please input the coordinate"));
        QCOMPARE(dialog->textValue(), QStringLiteral("0 0"));
        dialog->setTextValue(text);
        QTimer::singleShot(0, [warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                *warning = box->windowTitle() + QLatin1Char('|') + box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        dialog->accept();
    });
}

} // namespace

class TestViewCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    void zoomKeepsTheFixPosition_data();
    void zoomKeepsTheFixPosition();
    void gotoMovesATypedPoint_data();
    void gotoMovesATypedPoint();
    void sizesHaveFloors();
};

void TestViewCommands::zoomKeepsTheFixPosition_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("zoomIn");
    QTest::addColumn<double>("expected");
    QTest::newRow("2 in") << 2.0 << true << 3.0;
    QTest::newRow("2 out") << 2.0 << false << 1.0;
    QTest::newRow("1 in") << 1.0 << true << 1.5;
    QTest::newRow("1 out") << 1.0 << false << 1.0 / 1.5;
    QTest::newRow("0.5 in") << 0.5 << true << 0.75;
    QTest::newRow("0.5 out") << 0.5 << false << 0.5 / 1.5;
    QTest::newRow("2.5 out") << 2.5 << false << 1.5;
}

void TestViewCommands::zoomKeepsTheFixPosition()
{
    QFETCH(double, start);
    QFETCH(bool, zoomIn);
    QFETCH(double, expected);
    ViewerApp* app = ViewerApp::instance();
    app->ratio = start;
    app->originX = 37;
    app->originY = 250;
    app->fixX = 120;
    app->fixY = 80;
    const QPointF before = fixInWorld();
    (zoomIn ? app->zoomInAction : app->zoomOutAction)->trigger();
    QCOMPARE(app->ratio, expected);
    QCOMPARE(fixInWorld(), before);
    QVERIFY(app->basicInfoLabel->text().contains(
        QString::asprintf("Fix=</font>( %.2f , %.2f )", before.x(), before.y())));
}

void TestViewCommands::gotoMovesATypedPoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QPointF>("target");
    QTest::newRow("two numbers") << "12.5 -3" << true << QPointF(12.5, -3);
    QTest::newRow("one number") << "7" << false << QPointF();
    QTest::newRow("three numbers") << "1 2 3" << true << QPointF(1, 2);
    QTest::newRow("exponent") << "1e3 0" << true << QPointF(1000, 0);
    QTest::newRow("words") << "x y" << false << QPointF();
    QTest::newRow("empty") << "" << false << QPointF();
}

void TestViewCommands::gotoMovesATypedPoint()
{
    QFETCH(QString, text);
    QFETCH(bool, moves);
    QFETCH(QPointF, target);
    ViewerApp* app = ViewerApp::instance();
    app->ratio = 2;
    app->fixX = 200;
    app->fixY = 150;
    app->originX = 5;
    app->originY = 6;
    QString warning;
    answerGoto(text, &warning);
    app->gotoFixAction->trigger();
    if (!moves) {
        QCOMPARE(warning, QStringLiteral("Warning|<b>Wrong Format!</b>"));
        QCOMPARE(app->originX, 5.0);
        QCOMPARE(app->originY, 6.0);
        return;
    }
    QVERIFY2(warning.isEmpty(), qPrintable(warning));
    QCOMPARE(fixInWorld(), target);
}

void TestViewCommands::sizesHaveFloors()
{
    ViewerApp* app = ViewerApp::instance();
    app->pointSize = 2;
    app->lineWidth = 1;
    app->pointSizeDownAction->trigger();
    app->pointSizeDownAction->trigger();
    QCOMPARE(app->pointSize, 1);
    app->pointSizeUpAction->trigger();
    QCOMPARE(app->pointSize, 2);
    app->lineNarrowAction->trigger();
    QCOMPARE(app->lineWidth, 1);
    app->lineWidenAction->trigger();
    app->lineWidenAction->trigger();
    QCOMPARE(app->lineWidth, 3);
}

QTEST_MAIN(TestViewCommands)
#include "tst_viewcommands.moc"
