#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "follow/changetracker.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "follow/stepchangebars.h"
#include "follow/timelinedock.h"
#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

namespace
{

ViewerApp* app()
{
    return ViewerApp::instance();
}

TimelineDock* timeline()
{
    return app()->timelineDock;
}

// A member whose content tells it apart: n points, so that each step changes the drawing.
QByteArray memberText(int n)
{
    QByteArray text = "endheader\n";
    for (int i = 0; i <= n; ++i)
        text += "pt " + QByteArray::number(i) + " 0 red 0\n";
    return text;
}

QString shownName()
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(app()->fileName))).fileName();
}

// The names of the members that the timeline lists, without their folder.
QStringList listedNames()
{
    QStringList names;
    for (const SeriesMember& member : app()->followControl->follower.seriesMembers())
        names << QFileInfo(QFile::decodeName(QByteArray::fromStdString(member.name))).fileName();
    return names;
}

// Objects added and removed from one member to the next, worked out from the text alone: the
// bundled members hold one record per line after "endheader", and a record is the same when its
// line is, blanks at its end aside.
std::size_t recordsChanged(const QString& before, const QString& after)
{
    const auto records = [](const QString& path) {
        QFile file(path);
        std::multiset<QByteArray> found;
        if (!file.open(QIODevice::ReadOnly))
            return found;
        bool header = true;
        for (QByteArray line : file.readAll().split('\n')) {
            while (!line.isEmpty() &&
                   (line.endsWith(' ') || line.endsWith('\t') || line.endsWith('\r')))
                line.chop(1);
            if (header)
                header = line.trimmed() != "endheader";
            else if (!line.trimmed().isEmpty() && !line.startsWith('#'))
                found.insert(line);
        }
        return found;
    };
    const std::multiset<QByteArray> a = records(before), b = records(after);
    std::vector<QByteArray> onlyA, onlyB;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
    return onlyA.size() + onlyB.size();
}

// Counts the paint events a widget receives while it lives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The number label and the position label as one line: "member 7 of 2–10, missing 3–6".
QString shownLabels()
{
    return timeline()->numberLabel->text() + ' ' + timeline()->positionLabel->text();
}

void open(const QString& path)
{
    app()->commands.openFile(path);
    QVERIFY(testapp::waitForLoad());
}

// Sends the mouse event as the window system would: through the application's filters.
void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QPoint handleCentre(const QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

} // namespace

class TestTimelineDock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsTheSeriesInOrder_data();
    void listsTheSeriesInOrder();
    void followsMembersAppearingAndVanishing();
    void dragEndsOnTheMemberUnderTheHand();
    void playsToTheEndAndOnWithFollowLatest();
    void countsWhatEachStepChanged();
    void countsOfManyMembersArriveInBatches();
    void canvasKeysReachTheTimeline_data();
    void canvasKeysReachTheTimeline();
    void barsTellAddedRemovedAndGaps();
    void barsGoToTheMemberClicked_data();
    void barsGoToTheMemberClicked();
    void stepHoldsNoViewKey();
    void labelsChangeWithThePicture();
};

void TestTimelineDock::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(600, 300)));
    timeline()->show();
    app()->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app()->mainWindow));
}

void TestTimelineDock::init()
{
    testapp::resetApplication();
    timeline()->show();
}

void TestTimelineDock::cleanup()
{
    timeline()->playAction->setChecked(false);
    app()->followControl->followLatestAction->setChecked(false);
    app()->changeTracker->showChangesAction->setChecked(false);
    app()->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);
    QVERIFY(testapp::waitForLoad());
}

void TestTimelineDock::listsTheSeriesInOrder_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<QString>("labels");
    QTest::newRow("gaps, a leading zero, and look-alikes that are no members")
        << QStringList{"f.10.las", "f.2.las", "f.007.las", "f.7.las",    "f.3.LAS",
                       "f3.las",   "f.x.las", "g.1.las",   "f.5.las.bak"}
        << "f.7.las" << QStringList{"f.2.las", "f.007.las", "f.7.las", "f.10.las"}
        << "member 7 of 2\u201310, missing 3\u20136, 8\u20139";
    QTest::newRow("numbered every 100, one missing")
        << QStringList{"s.400.las", "s.100.las", "s.200.las"} << "s.200.las"
        << QStringList{"s.100.las", "s.200.las", "s.400.las"}
        << "member 200 of 100\u2013400, missing 300";
    QTest::newRow("three runs missing are counted")
        << QStringList{"c.1.las", "c.2.las", "c.4.las", "c.6.las", "c.8.las"} << "c.1.las"
        << QStringList{"c.1.las", "c.2.las", "c.4.las", "c.6.las", "c.8.las"}
        << "member 1 of 1\u20138, 3 missing";
    QTest::newRow("64-bit numbers, and one beyond them")
        << QStringList{"t.9223372036854775807.las", "t.1700000000000000000.las",
                       "t.99999999999999999999.las", "t.0.las"}
        << "t.9223372036854775807.las"
        << QStringList{"t.0.las", "t.1700000000000000000.las", "t.9223372036854775807.las"}
        << "member 9223372036854775807 of 0\u20139223372036854775807, missing "
           "1\u20131699999999999999999, 1700000000000000001\u20139223372036854775806";
    QTest::newRow("a name that is no text in the locale")
        << QStringList{QString::fromLatin1("r\xe9sultat.2.las"),
                       QString::fromLatin1("r\xe9sultat.1.las")}
        << QString::fromLatin1("r\xe9sultat.1.las")
        << QStringList{QString::fromLatin1("r\xe9sultat.1.las"),
                       QString::fromLatin1("r\xe9sultat.2.las")}
        << "member 1 of 1\u20132";
}

// The names are written as bytes: the Latin-1 row's names are not UTF-8.
void TestTimelineDock::listsTheSeriesInOrder()
{
    QFETCH(QStringList, files);
    QFETCH(QString, opened);
    QFETCH(QStringList, members);
    QFETCH(QString, labels);
    QTemporaryDir folder;
    const QByteArray base = QFile::encodeName(folder.path()) + '/';
    for (const QString& file : files) {
        std::FILE* out = std::fopen((base + file.toLatin1()).constData(), "wb");
        QVERIFY(out);
        std::fputs(memberText(1).constData(), out);
        std::fclose(out);
    }
    QDir(folder.path()).mkdir("f.9.las");
    app()->commands.stepToFile((base + opened.toLatin1()).toStdString());
    QVERIFY(testapp::waitForLoad());
    QStringList listed;
    for (const SeriesMember& member : app()->followControl->follower.seriesMembers())
        listed << QString::fromLatin1(QByteArray::fromStdString(member.name).mid(base.size()));
    QCOMPARE(listed, members);
    QCOMPARE(shownLabels(), labels);
    QCOMPARE(timeline()->slider->maximum(), members.size() - 1);
}

// Members written and removed while the dock is open show at the next settle of the folder, and
// the position of the shown member follows them.
void TestTimelineDock::followsMembersAppearingAndVanishing()
{
    QTemporaryDir folder;
    for (int n : {2, 4, 6})
        testapp::writeFile(folder.filePath(QString("run.%1.las").arg(n)), memberText(n));
    open(folder.filePath("run.4.las"));
    QCOMPARE(shownLabels(), QString("member 4 of 2\u20136"));
    testapp::writeFile(folder.filePath("run.3.las"), memberText(3));
    testapp::writeFile(folder.filePath("run.8.las"), memberText(8));
    QTRY_COMPARE(shownLabels(), QString("member 4 of 2\u20138, missing 5, 7"));
    QCOMPARE(timeline()->slider->value(), 2);
    QFile::remove(folder.filePath("run.2.las"));
    QFile::remove(folder.filePath("run.3.las"));
    QTRY_COMPARE(listedNames(), QStringList({"run.4.las", "run.6.las", "run.8.las"}));
    QCOMPARE(shownLabels(), QString("member 4 of 4\u20138"));
    QCOMPARE(timeline()->slider->value(), 0);
    QFile::remove(folder.filePath("run.4.las"));
    QTRY_COMPARE(listedNames(), QStringList({"run.6.las", "run.8.las"}));
    QCOMPARE(timeline()->positionLabel->text(), QString("2 members, 6\u20138"));
}

// Every file loads in the background, so that the hand moves faster than the loads: each move
// stops the load before it. The files shown on the way only ever go forward, and the last one is
// the member under the slider when the button is released.
void TestTimelineDock::dragEndsOnTheMemberUnderTheHand()
{
    QTemporaryDir folder;
    constexpr int kMembers = 60;
    constexpr int kTarget = 50;
    for (int n = 1; n <= kMembers; ++n)
        testapp::writeFile(folder.filePath(QString("run.%1.las").arg(n)), memberText(n));
    open(folder.filePath("run.1.las"));
    app()->fileLoader->setBackgroundFrom(1);
    QStringList shown;
    const QObject listening;
    connect(&app()->commands, &QFunctionality::fileShown, &listening,
            [&shown] { shown << shownName(); });
    QSlider* slider = timeline()->slider;
    QPoint at = handleCentre(slider);
    sendMouse(slider, QEvent::MouseButtonPress, at, Qt::LeftButton);
    QVERIFY(slider->isSliderDown());
    int requests = 0;
    while (slider->value() < kTarget && at.x() < slider->width()) {
        at.rx() += 1;
        const int before = slider->value();
        sendMouse(slider, QEvent::MouseMove, at, Qt::LeftButton);
        requests += slider->value() != before;
        QCoreApplication::processEvents();
    }
    sendMouse(slider, QEvent::MouseButtonRelease, at, Qt::NoButton);
    QCOMPARE(slider->value(), kTarget);
    QVERIFY(testapp::waitForLoad());
    QTest::qWait(2 * FileFollower::kSettleMilliseconds);
    QCOMPARE(shownName(), QString("run.%1.las").arg(kTarget + 1));
    QCOMPARE(shownLabels(), QString("member %1 of 1\u2013%2").arg(kTarget + 1).arg(kMembers));
    QVERIFY2(requests >= kTarget / 2, qPrintable(QString::number(requests)));
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.last(), QString("run.%1.las").arg(kTarget + 1));
    for (int i = 1; i < shown.size(); ++i) {
        const int earlier = shown[i - 1].section('.', 1, 1).toInt();
        QVERIFY2(shown[i].section('.', 1, 1).toInt() > earlier, qPrintable(shown.join(' ')));
    }
}

// Space on the canvas plays; at the last member play stops, and with Follow Latest it waits and
// goes on through the members that come, one by one.
void TestTimelineDock::playsToTheEndAndOnWithFollowLatest()
{
    QTemporaryDir folder;
    for (int n : {1, 2, 4})
        testapp::writeFile(folder.filePath(QString("run.%1.las").arg(n)), memberText(n));
    open(folder.filePath("run.1.las"));
    timeline()->rateBox->setValue(TimelineDock::kMaxRate);
    QStringList shown;
    const QObject listening;
    connect(&app()->commands, &QFunctionality::fileShown, &listening,
            [&shown] { shown << shownName(); });
    app()->display->setFocus();
    QVERIFY(QTest::qWaitFor([] { return app()->display->hasFocus(); }));
    QTest::keyClick(app()->display, Qt::Key_Space);
    QVERIFY(timeline()->playAction->isChecked());
    QTRY_VERIFY(!timeline()->playAction->isChecked());
    QCOMPARE(shown, QStringList({"run.2.las", "run.4.las"}));

    shown.clear();
    app()->followControl->followLatestAction->setChecked(true);
    QTest::keyClick(app()->display, Qt::Key_Space);
    QTest::qWait(200);
    QVERIFY(timeline()->playAction->isChecked());
    QVERIFY(shown.isEmpty());
    testapp::writeFile(folder.filePath("run.5.las"), memberText(5));
    testapp::writeFile(folder.filePath("run.7.las"), memberText(7));
    QTRY_COMPARE(shownName(), QString("run.7.las"));
    QVERIFY(timeline()->playAction->isChecked());
    QCOMPARE(shown, QStringList({"run.5.las", "run.7.las"}));
    QTest::keyClick(app()->display, Qt::Key_Space);
    QVERIFY(!timeline()->playAction->isChecked());
}

// The bundled series: the counts worked out in the background are those of the members' texts
// and those that stepping with Show Changes on finds, and a click on a bar goes to its member.
void TestTimelineDock::countsWhatEachStepChanged()
{
    const QDir examples(QStringLiteral(VEDRA_EXAMPLES_DIR));
    QStringList names = examples.entryList({QStringLiteral("step.*.las")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.section('.', 1, 1).toLongLong() < b.section('.', 1, 1).toLongLong();
    });
    QVERIFY(names.size() > 20);
    QTemporaryDir folder;
    for (const QString& name : names)
        QVERIFY(QFile::copy(examples.filePath(name), folder.filePath(name)));
    open(folder.filePath(names.last()));
    app()->changeTracker->showChangesAction->setChecked(true);
    const StepChanges& changes = timeline()->changes;
    QVERIFY(timeline()->bars->isVisible());
    QTRY_VERIFY(!changes.counting());
    std::vector<std::size_t> counted;
    for (std::size_t i = 1; i < std::size_t(names.size()); ++i) {
        QVERIFY2(changes.count(i), qPrintable(names[int(i)]));
        counted.push_back(changes.count(i)->total());
    }
    for (int i = 1; i < names.size(); ++i) {
        open(folder.filePath(names[i - 1]));
        const PaintCounter counter(app()->display);
        app()->commands.doSwitchNextFile();
        // A small member is shown at once, in one paint of the canvas.
        QCOMPARE(counter.paints, 1);
        QVERIFY(testapp::waitForLoad());
        const ChangeSet* step = DrawingModel::instance()->changes();
        QVERIFY(step);
        QCOMPARE(counted[std::size_t(i - 1)], step->added.size() + step->removed.size());
        QCOMPARE(counted[std::size_t(i - 1)],
                 recordsChanged(folder.filePath(names[i - 1]), folder.filePath(names[i])));
    }

    StepChangeBars* bars = timeline()->bars;
    int x = 0;
    while (x < bars->width() && bars->memberAt(x) != 2)
        ++x;
    QTest::mouseClick(bars, Qt::LeftButton, {}, QPoint(x, bars->height() / 2));
    QVERIFY(testapp::waitForLoad());
    QCOMPARE(shownName(), names[2]);
}

// Two thousand small members are counted in a second or so; their counts reach the bars in a few
// batches, not one delivery each, so the GUI thread is not kept busy by them.
void TestTimelineDock::countsOfManyMembersArriveInBatches()
{
    constexpr int kMembers = 2000;
    QTemporaryDir folder;
    for (int i = 1; i <= kMembers; ++i)
        testapp::writeFile(folder.filePath(QStringLiteral("many.%1.las").arg(i)),
                           "endheader\npt " + QByteArray::number(i % 7) + " 0 red 0\n");
    open(folder.filePath(QStringLiteral("many.%1.las").arg(kMembers)));
    const StepChanges& changes = timeline()->changes;
    QTRY_COMPARE(changes.memberCount(), std::size_t(kMembers));
    QSignalSpy deliveries(&changes, &StepChanges::countsChanged);
    app()->changeTracker->showChangesAction->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(!changes.counting(), 120000);
    for (std::size_t i = 1; i < std::size_t(kMembers); ++i)
        QVERIFY2(changes.count(i) && changes.count(i)->counted(), qPrintable(QString::number(i)));
    QCOMPARE(changes.count(7)->total(), std::size_t(2));
    QVERIFY2(deliveries.count() * 10 < kMembers, qPrintable(QString::number(deliveries.count())));
}

void TestTimelineDock::canvasKeysReachTheTimeline_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("playing");
    QTest::newRow("Home, the Timeline open") << Qt::Key_Home << true << "run.1.las" << false;
    QTest::newRow("End, the Timeline closed") << Qt::Key_End << false << "run.4.las" << false;
    QTest::newRow("Space, the Timeline closed") << Qt::Key_Space << false << "run.2.las" << true;
}

// A key typed on the canvas reaches the window first, as the user's does; the Timeline comes
// into view, so that what the key did is seen.
void TestTimelineDock::canvasKeysReachTheTimeline()
{
    QFETCH(Qt::Key, key);
    QFETCH(bool, open);
    QFETCH(QString, shown);
    QFETCH(bool, playing);
    QTemporaryDir folder;
    for (int n : {1, 2, 4})
        testapp::writeFile(folder.filePath(QString("run.%1.las").arg(n)), memberText(n));
    ::open(folder.filePath("run.2.las"));
    timeline()->rateBox->setValue(TimelineDock::kMinRate);
    timeline()->setVisible(open);
    app()->display->setFocus();
    QVERIFY(QTest::qWaitFor([] { return app()->display->hasFocus(); }));
    QTest::keyClick(app()->mainWindow->windowHandle(), key);
    QVERIFY(testapp::waitForLoad());
    QTRY_COMPARE(shownName(), shown);
    QCOMPARE(timeline()->playAction->isChecked(), playing);
    QVERIFY(timeline()->isVisible());
    if (playing) {
        QTest::keyClick(app()->mainWindow->windowHandle(), Qt::Key_T);
        QVERIFY(!timeline()->isVisible());
        QVERIFY(!timeline()->playAction->isChecked());
    }
}

namespace
{

// A series whose steps differ by orders of magnitude, with number 4 missing: 2 adds 10,000
// objects to 1, 3 takes one away and adds one, 5 adds two.
void writeUnevenSeries(const QTemporaryDir& folder)
{
    QByteArray text = "endheader\npt 0 0 red 0\n";
    testapp::writeFile(folder.filePath("run.1.las"), text);
    for (int i = 1; i <= 10000; ++i)
        text += "pt " + QByteArray::number(i) + " 1 red 0\n";
    testapp::writeFile(folder.filePath("run.2.las"), text);
    text.replace("pt 0 0 red 0\n", "pt 0 0 blue 0\n");
    testapp::writeFile(folder.filePath("run.3.las"), text);
    testapp::writeFile(folder.filePath("run.5.las"), text + "pt 0 5 red 0\npt 0 6 red 0\n");
}

// The columns of the member's slot in the bars.
std::pair<int, int> columnsOf(const StepChangeBars* bars, std::size_t member)
{
    int first = 0;
    while (first < bars->width() && bars->memberAt(first) != member)
        ++first;
    int last = first;
    while (last + 1 < bars->width() && bars->memberAt(last + 1) == member)
        ++last;
    return {first, last};
}

} // namespace

// The smallest step keeps a visible bar beside a burst; added and removed are told apart by
// colour, the member on the canvas is marked and the missing number has a slot of its own.
void TestTimelineDock::barsTellAddedRemovedAndGaps()
{
    QTemporaryDir folder;
    writeUnevenSeries(folder);
    open(folder.filePath("run.3.las"));
    app()->changeTracker->showChangesAction->setChecked(true);
    QTRY_VERIFY(!timeline()->changes.counting());
    StepChangeBars* bars = timeline()->bars;
    QTRY_VERIFY(bars->isVisible());
    const QImage image = bars->grab().toImage();
    const auto greenish = [](QRgb c) { return qGreen(c) > qRed(c) + 40; };
    const auto reddish = [](QRgb c) { return qRed(c) > qGreen(c) + 40 && qRed(c) > qBlue(c) + 40; };
    // The height of the bar at the column: its coloured pixels from the bottom up.
    const auto barAt = [&](int x, int& green, int& red) {
        green = red = 0;
        for (int y = image.height() - 1; y >= 0; --y) {
            green += greenish(image.pixel(x, y));
            red += reddish(image.pixel(x, y));
        }
    };
    int green = 0, red = 0;
    const int burst = columnsOf(bars, 1).first;
    barAt(burst, green, red);
    QVERIFY2(green >= StepChangeBars::kHeight - 8 && red == 0, qPrintable(QString::number(green)));
    const auto [shownFirst, shownLast] = columnsOf(bars, 2);
    barAt(shownFirst, green, red);
    QVERIFY2(green >= 1 && red >= 1 && green + red >= StepChangeBars::kLeastBar,
             qPrintable(QString("%1 %2").arg(green).arg(red)));
    // Added below removed.
    QVERIFY(greenish(image.pixel(shownFirst, image.height() - 2)));
    const QRgb top = image.pixel(shownFirst, 0);
    QVERIFY(top != image.pixel(columnsOf(bars, 1).first, 0));
    const int gap = shownLast + 2;
    QCOMPARE(bars->memberAt(gap), std::nullopt);
    barAt(gap, green, red);
    QCOMPARE(green + red, 0);
    const int last = columnsOf(bars, 3).first;
    barAt(last, green, red);
    QVERIFY(green >= StepChangeBars::kLeastBar && red == 0);
    QVERIFY(last > gap);
}

void TestTimelineDock::barsGoToTheMemberClicked_data()
{
    QTest::addColumn<int>("member");
    QTest::addColumn<bool>("firstColumn");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first column of a member's bar") << 3 << true << "run.5.las";
    QTest::newRow("last column of a member's bar") << 1 << false << "run.2.las";
    QTest::newRow("the missing number's slot") << -1 << true << "run.3.las";
}

void TestTimelineDock::barsGoToTheMemberClicked()
{
    QFETCH(int, member);
    QFETCH(bool, firstColumn);
    QFETCH(QString, shown);
    QTemporaryDir folder;
    writeUnevenSeries(folder);
    open(folder.filePath("run.3.las"));
    app()->changeTracker->showChangesAction->setChecked(true);
    StepChangeBars* bars = timeline()->bars;
    QTRY_VERIFY(bars->isVisible());
    // The slot of the missing number 4 lies just after member 3's.
    const auto [first, last] = columnsOf(bars, member < 0 ? 2 : std::size_t(member));
    const int x = member < 0 ? last + 2 : firstColumn ? first : last;
    QTest::mouseClick(bars, Qt::LeftButton, {}, QPoint(x, bars->height() / 2));
    QVERIFY(testapp::waitForLoad());
    QCOMPARE(shownName(), shown);
}

// A step to a member of 20,000 objects loads in the background: the view keys and the wheel act
// on the drawing shown meanwhile.
void TestTimelineDock::stepHoldsNoViewKey()
{
    QTemporaryDir folder;
    testapp::writeFile(folder.filePath("big.1.las"), memberText(1));
    QByteArray text = "endheader\n";
    for (int i = 0; i < 20000; ++i)
        text += "pt " + QByteArray::number(i) + " 0 red 0\n";
    QVERIFY(text.size() >= FileLoader::kStepBackgroundFrom);
    testapp::writeFile(folder.filePath("big.2.las"), text);
    open(folder.filePath("big.1.las"));
    app()->display->setFocus();
    QVERIFY(QTest::qWaitFor([] { return app()->display->hasFocus(); }));
    const double ratio = app()->ratio;
    QTest::keyClick(app()->mainWindow->windowHandle(), Qt::Key_End);
    QVERIFY(app()->fileLoader->busy());
    QTest::keyClick(app()->mainWindow->windowHandle(), Qt::Key_PageUp);
    QVERIFY(app()->ratio != ratio);
    QVERIFY(testapp::waitForLoad());
    QCOMPARE(shownName(), QString("big.2.las"));
}

// A drawing painted in the background: the labels and the bars' mark name the member whose
// picture the canvas shows, not the one asked for.
void TestTimelineDock::labelsChangeWithThePicture()
{
    QTemporaryDir folder;
    for (int n : {1, 2})
        testapp::writeFile(folder.filePath(QString("run.%1.las").arg(n)), memberText(n));
    open(folder.filePath("run.1.las"));
    QCOMPARE(shownLabels(), QString("member 1 of 1\u20132"));
    const std::size_t threshold = QwgtDisplay::backgroundPaintThreshold();
    QwgtDisplay::setBackgroundPaintFrom(1);
    app()->commands.doSwitchNextFile();
    QVERIFY(testapp::waitForLoad());
    QCOMPARE(shownName(), QString("run.2.las"));
    QVERIFY(!app()->display->showsExactFrame());
    QCOMPARE(shownLabels(), QString("member 1 of 1\u20132"));
    QTRY_COMPARE(shownLabels(), QString("member 2 of 1\u20132"));
    QVERIFY(app()->display->showsExactFrame());
    QCOMPARE(timeline()->slider->value(), 1);
    QwgtDisplay::setBackgroundPaintFrom(threshold);
}

QTEST_MAIN(TestTimelineDock)
#include "tst_timelinedock.moc"
