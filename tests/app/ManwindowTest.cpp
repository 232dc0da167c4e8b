#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "advanced/ACWPSetMuch.h"
#include "app/About.h"
#include "app/AreaPicking.h"
#include "app/HealthPanel.h"
#include "app/UserGuide.h"
#include "app/ViewFocusHint.h"
#include "device/CodeDialog.h"
#include "device/DeviceState.h"
#include "device/InteractionMuchSet.h"
#include "device/SensorChooser.h"
#include "lidar/DataListModel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <pcl/visualization/pcl_visualizer.h>
#include <thread>
#include <vtkCamera.h>
#include <vtkRenderer.h>

namespace {

// Collects the warnings and debug lines Qt writes while it lives.
class MessageLog {
public:
    MessageLog() { previous_ = qInstallMessageHandler(&MessageLog::handle); }
    ~MessageLog() { qInstallMessageHandler(previous_); }
    static QStringList& lines() {
        static QStringList l;
        return l;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        lines().append(text);
    }
    QtMessageHandler previous_;
};

// AddressSanitizer keeps freed blocks in a quarantine of 256 MiB before
// reusing them, so memory bounds grow by that much in its builds.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kAllocatorQuarantineKiB = 256 * 1024;
#else
constexpr long kAllocatorQuarantineKiB = 0;
#endif

long residentKiB() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

// Counts the queued slot calls an object receives.
class QueuedCallCounter : public QObject {
public:
    explicit QueuedCallCounter(QObject& watched) { watched.installEventFilter(this); }
    int calls = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        calls += event->type() == QEvent::MetaCall ? 1 : 0;
        return false;
    }
};

// What a sensor at 127.0.0.1 turning at `rpm` reports.
DeviceInfoPacket::Bytes statusPacket(std::uint16_t rpm, const char* boardVersion) {
    DeviceState s;
    s.sensorIp = {127, 0, 0, 1};
    s.motorRpm = rpm;
    s.boardVersion = *DeviceInfoPacket::mainBoardVersionBytes(boardVersion);
    return s.toPacket();
}

void deliver(manwindow& window, const MuchLidarData& frame) {
    QMetaObject::invokeMethod(&window, "CalculateMuch", Qt::QueuedConnection,
                              Q_ARG(MuchLidarData, frame));
}

} // namespace

using StartUp = WindowFixture;
using LiveFrames = WindowFixture;
using WindowTools = WindowFixture;
using DeviceWindows = WindowFixture;
using LiveStatus = WindowFixture;

TEST_F(StartUp, FormTextsAndInitialState) {
    EXPECT_EQ(window.windowTitle(), "Corvane_Vantor Viewer");
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(window.windowIcon().isNull());
    auto* tabs = child<QTabWidget>("tabWidget");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Lidar");
    EXPECT_EQ(tabs->tabText(1), "Offline");
    EXPECT_EQ(tabs->tabText(2), "Vantor");
    EXPECT_EQ(tabs->tabText(3), "Help");
    EXPECT_EQ(tabs->currentIndex(), 0);

    EXPECT_EQ(child<QLabel>("label_portNumber_2")->text(), QString::fromUtf8("  Telemetry Port："));
    EXPECT_EQ(child<QLineEdit>("lineEdit_portNumber")->text(), "2368");
    EXPECT_EQ(child<QLineEdit>("lineEdit_portNumber_2")->text(), "2369");
    EXPECT_EQ(child<QLineEdit>("lineEdit_2")->text(), "224.1.1.1");
    auto* colours = child<QComboBox>("comboBox_4");
    ASSERT_EQ(colours->count(), 6);
    EXPECT_EQ(colours->itemText(4), "LaserID");
    EXPECT_EQ(colours->itemText(5), "Sensor");
    EXPECT_TRUE(colours->itemIcon(1).isNull());
    EXPECT_FALSE(colours->itemIcon(2).isNull());

    auto* views = child<QComboBox>("comboBox_View");
    EXPECT_EQ(views->currentIndex(), 1);
    EXPECT_EQ(views->currentText(), "Top");
    vtkCamera* camera =
        window.cloudView().viewer()->getRendererCollection()->GetFirstRenderer()->GetActiveCamera();
    double position[3], up[3];
    camera->GetPosition(position);
    camera->GetViewUp(up);
    EXPECT_DOUBLE_EQ(position[2], 1);
    EXPECT_DOUBLE_EQ(up[1], 1);

    for (const char* name : {"toolButton_Play", "toolButton_GoToEnd", "toolButton_GoToStart",
                             "toolButton_SeekBackward", "toolButton_SeekForward"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(button("toolButton_User")->isHidden());
    EXPECT_TRUE(button("toolButton_Develop")->isHidden());
    EXPECT_TRUE(button("toolButton_Lidar")->isEnabled());
    for (QToolButton* b :
         window.findChildren<QToolButton*>(QRegularExpression("^(toolButton|tolbtn)"))) {
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
        EXPECT_EQ(b->iconSize(), QSize(32, 32));
    }
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(230, 230, 230));

    // No data list before the first start.
    EXPECT_EQ(window.dataListModel(), nullptr);
    const auto labels = window.statusBar()->findChildren<QLabel*>();
    QStringList texts;
    for (QLabel* l : labels) {
        texts << l->text();
    }
    EXPECT_TRUE(texts.contains("selectP: X_max:  X_min:  "));
    EXPECT_TRUE(texts.contains("selectP: Z_max:  Z_min:  "));
}

// The items of a shown popup list that are drawn shortened: they look
// different once the list has all the room it wants.
QStringList elidedItems(QAbstractItemView& list) {
    // A highlighted row is drawn to the row's own edge: none is.
    list.selectionModel()->clear();
    QWidget& popup = *list.window();
    const QImage shown = list.viewport()->grab().toImage();
    const QSize size = popup.size();
    popup.resize(4 * size.width(), size.height());
    QApplication::processEvents();
    const QImage roomy = list.viewport()->grab().toImage();
    popup.resize(size);
    QStringList elided;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        const QModelIndex item = list.model()->index(row, 0);
        const QRect visible = list.visualRect(item).intersected(shown.rect());
        if (shown.copy(visible) != roomy.copy(visible)) {
            elided << item.data().toString();
        }
    }
    return elided;
}

// Visible tool buttons, labels and combo boxes (their popup lists too) whose
// text does not fit, on every tab.
QStringList cutTexts(QMainWindow& window) {
    QStringList cut;
    auto* tabs = window.findChild<QTabWidget*>("tabWidget");
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        QApplication::processEvents();
        for (QWidget* w : window.findChildren<QWidget*>()) {
            auto* b = qobject_cast<QToolButton*>(w);
            auto* l = qobject_cast<QLabel*>(w);
            auto* c = qobject_cast<QComboBox*>(w);
            const bool hasText = (b && !b->text().isEmpty()) || (l && !l->wordWrap()) || c;
            if (!hasText || !w->isVisible()) {
                continue;
            }
            if (w->width() < w->sizeHint().width()) {
                cut << QStringLiteral("%1 (%2 of %3 px)")
                           .arg(w->objectName())
                           .arg(w->width())
                           .arg(w->sizeHint().width());
            }
            if (c) {
                c->showPopup();
                QAbstractItemView* list = c->view();
                for (const QString& item : elidedItems(*list)) {
                    cut << c->objectName() + ": " + item;
                }
                c->hidePopup();
            }
        }
    }
    tabs->setCurrentIndex(0);
    return cut;
}

TEST_F(StartUp, TheWindowFitsSmallAndLargeScreensWithEveryTextWhole) {
    // Without a window manager nothing maximizes: the window itself takes
    // the screen's available area.
    EXPECT_EQ(static_cast<QWidget&>(window).geometry(), window.screen()->availableGeometry());
    const QSize small(1366, 768);
    EXPECT_LE(window.minimumSizeHint().width(), small.width());
    EXPECT_LE(window.minimumSizeHint().height(), small.height());
    EXPECT_LE(window.sizeHint().width(), small.width());
    EXPECT_LE(window.sizeHint().height(), small.height());

    auto* dock = child<QDockWidget>("LidraDataDock");
    for (const QSize& screen : {window.screen()->availableGeometry().size(), small}) {
        window.resize(screen);
        for (bool list : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1x%2, data list %3")
                             .arg(screen.width())
                             .arg(screen.height())
                             .arg(list)
                             .toStdString());
            if (dock->isVisible() != list) {
                button("toolButton_LidarDataList")->click();
            }
            ASSERT_TRUE(waitUntil([&] { return window.size() == screen; }, 1000))
                << "the window grew to " << window.width() << "x" << window.height();
            EXPECT_EQ(cutTexts(window).join(", ").toStdString(), "");
        }
    }
}

TEST_F(StartUp, WithASelectionEveryFigureOfTheStatusBarIsWholeAt1366) {
    const QSize small(1366, 768);
    window.resize(small);
    ASSERT_TRUE(waitUntil([&] { return window.size() == small; }, 1000));
    ASSERT_TRUE(startLive());
    // Far points near the y axis: x in exponent notation, the longest
    // form the figures take.
    MuchLidarData frame;
    frame.append(0, 90.0f, 5000.0f, 1);
    frame.append(127, 270.0f, 6500.0f, 2);
    const std::uint64_t delivered = window.framesDelivered();
    deliver(window, frame);
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    const ChannelGeometry geometry;
    button("toolButton_select")->click();
    dragAround(window, std::vector<PointXyz>{geometry.point(0, 90.0f, 5000.0f),
                                             geometry.point(127, 270.0f, 6500.0f)});
    ASSERT_TRUE(window.areaPicking().selectionActive());
    const QString x = child<QLabel>("statusLabelX")->text();
    ASSERT_TRUE(x.contains("e-05")) << x.toStdString();

    auto* hint = child<QLabel>("label_ViewHint");
    EXPECT_EQ(cutTexts(window).join(", ").toStdString(), "");
    EXPECT_TRUE(hint->isVisible());
    // At the narrowest the window goes, still nothing is cut.
    window.resize(window.minimumSizeHint().width(), small.height());
    ASSERT_TRUE(waitUntil([&] { return window.width() < small.width(); }, 1000));
    EXPECT_EQ(cutTexts(window).join(", ").toStdString(), "");
}

TEST(ViewFocusHint, MakesWayWhileTheBarIsTooNarrowForTheOthersAndItself) {
    // The bar inside a window that may be narrower than the bar's items.
    QWidget view;
    QWidget window;
    auto* bar = new QStatusBar(&window);
    auto* figures = new QLabel(QString(60, 'x'), bar);
    bar->addWidget(figures);
    const ViewFocusHint hint(view, *bar);
    window.show();
    const int wide = 4 * bar->sizeHint().width();
    bar->resize(wide, bar->sizeHint().height());
    ASSERT_TRUE(waitUntil([&] { return hint.label()->isVisible(); }, 1000));
    bar->resize(figures->sizeHint().width() + 20, bar->height());
    EXPECT_TRUE(waitUntil([&] { return !hint.label()->isVisible(); }, 1000));
    bar->resize(wide, bar->height());
    EXPECT_TRUE(waitUntil([&] { return hint.label()->isVisible(); }, 1000));
}

TEST_F(StartUp, TheDataListStartsWithItsColumnWidthsAndItsTextsFit) {
    ASSERT_TRUE(startLive());
    auto* table = child<QTableView>("tableView");
    const int widths[] = {70, 140, 70, 70, 70, 70};
    // The longest texts of each column: seven-digit rows, coordinates and
    // distances of hundreds of metres, the largest azimuth and intensity.
    const char* texts[] = {"8888888",      "-888.8888 -888.8888 -888.8888",
                           "888.88888888", "888.888",
                           "255.0000",     "127.0000"};
    const QFontMetrics metrics(table->font());
    // The focus frame's margins on both sides, and the grid line.
    const int margins =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1) + 1;
    for (int c = 0; c < 6; ++c) {
        EXPECT_GE(table->columnWidth(c), widths[c]) << c;
        EXPECT_EQ(table->horizontalHeader()->sectionResizeMode(c), QHeaderView::Interactive);
        EXPECT_LE(metrics.horizontalAdvance(texts[c]) + margins, table->columnWidth(c)) << texts[c];
    }
    // Columns that hold their texts keep the layout's width.
    EXPECT_EQ(table->columnWidth(4), 70);
}

TEST_F(StartUp, TheDockedListShowsEveryColumnAndItsRowNumbersDoNotShiftThem) {
    ASSERT_TRUE(startLive());
    auto* table = child<QTableView>("tableView");
    MuchLidarData few;
    for (int i = 0; i < 9; ++i) {
        few.append(68, i * 1.0f, 30.0f, 7);
    }
    show(few);
    const int columnsStartAt = table->viewport()->x();
    MuchLidarData many;
    for (int i = 0; i < 300; ++i) {
        many.append(68, i * 0.5f, 30.0f, 7);
    }
    show(many);
    ASSERT_EQ(window.dataListModel()->rowCount(), 256);
    EXPECT_EQ(table->viewport()->x(), columnsStartAt);

    // Every column in view, with the rows' scroll bar, on both screens.
    for (const QSize& screen : {window.screen()->availableGeometry().size(), QSize(1366, 768)}) {
        window.resize(screen);
        ASSERT_TRUE(waitUntil([&] { return window.size() == screen; }, 1000));
        EXPECT_TRUE(waitUntil([&] { return table->verticalScrollBar()->isVisible(); }, 1000));
        EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0)
            << screen.width() << " px: the columns need " << table->horizontalHeader()->length()
            << ", the list shows " << table->viewport()->width();
        EXPECT_GT(window.cloudView().screen()->width(), screen.width() / 2);
    }
}

TEST_F(StartUp, DisabledControlsLookDisabled) {
    // The same button enabled and disabled: the disabled one has no black
    // text left and a greyed icon.
    QToolButton* grid = button("toolButton_MeaGrid");
    const QImage enabled = grid->grab().toImage();
    grid->setEnabled(false);
    const QImage disabled = grid->grab().toImage();
    grid->setEnabled(true);
    const auto blackPixels = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += image.pixelColor(x, y).value() < 40 ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_GT(blackPixels(enabled), 20);
    EXPECT_EQ(blackPixels(disabled), 0);
    const QRect icon(0, 0, grid->iconSize().width() + 6, grid->height());
    EXPECT_GT(differingPixels(enabled.copy(icon), disabled.copy(icon)), 50);

    // A field that cannot be edited does not look like one that can.
    auto* mac = window.laserConfigWindow().findChild<QLineEdit*>("lineEdit_mac_addr");
    ASSERT_FALSE(mac->isEnabled());
    const QImage field = mac->grab().toImage();
    EXPECT_NE(field.pixelColor(field.width() / 2, field.height() / 2), QColor(Qt::white));
}

TEST_F(StartUp, TooltipsShowTheirTextOnADifferentGround) {
    HealthPanel& health = window.healthPanel();
    QToolTip::showText(health.mapToGlobal(health.rect().center()), health.toolTip(), &health);
    QWidget* tip = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            tip = w->inherits("QTipLabel") && w->isVisible() ? w : tip;
        }
        return tip != nullptr;
    }));
    const QImage image = tip->grab().toImage();
    QToolTip::hideText();
    // The ground is the colour of most pixels; the text stands out from it.
    std::map<QRgb, int> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++colours[image.pixel(x, y)];
        }
    }
    const QRgb ground = std::max_element(colours.begin(), colours.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first;
    int text = 0;
    for (const auto& [colour, count] : colours) {
        text += std::abs(qGray(colour) - qGray(ground)) > 100 ? count : 0;
    }
    EXPECT_GT(text, 500) << "ground " << QColor(ground).name().toStdString();
}

TEST_F(StartUp, UserGuideLinkOpensThePageShippedWithTheProgram) {
    auto* link = child<QLabel>("label_UserGuide");
    EXPECT_TRUE(link->text().contains("href"));
    const QUrl page = UserGuide::writeLocalCopy();
    ASSERT_TRUE(page.isLocalFile());
    QFile file(page.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Vantor Viewer"));
    // With the pictures it shows.
    EXPECT_FALSE(QImage(QFileInfo(file).dir().filePath("range-image.png")).isNull());
}

TEST_F(LiveFrames, SecondPressRestartsTheReceiverAndEachFrameArrivesOnce) {
    MessageLog log;
    std::atomic<int> finishedRuns{0};
    GetMuch& receiver = window.liveReceiverThread();
    QObject::connect(
        &receiver, &QThread::finished, &receiver, [&] { ++finishedRuns; }, Qt::DirectConnection);
    ASSERT_TRUE(startLive());
    DataListModel* firstModel = window.dataListModel();
    ASSERT_NE(firstModel, nullptr);
    EXPECT_EQ(firstModel->columnCount(), 6);

    button("toolButton_Lidar")->click();
    // The first run had ended before the press returned.
    EXPECT_EQ(finishedRuns.load(), 1);
    ASSERT_TRUE(waitUntil([this] { return boundPort() != 0; }));
    EXPECT_NE(window.dataListModel(), firstModel);

    const std::uint64_t before = window.framesDelivered();
    send(payloadsOf({ring(100), ring(200), ring(300), ring(400), ring(500)}));
    ASSERT_TRUE(waitForDrawn(before, 5));
    QTest::qWait(300);
    EXPECT_EQ(window.framesDelivered(), before + 5);
    EXPECT_EQ(window.lastFrameReceived().size(), 500u);
    for (const QString& line : MessageLog::lines()) {
        EXPECT_FALSE(line.contains("QObject::connect")) << line.toStdString();
    }
}

TEST_F(LiveFrames, BindErrorArrivesAsATipsBox) {
    UdpSocket taken;
    ASSERT_TRUE(taken.bindAny(0));
    ModalCatcher boxes;
    child<QLineEdit>("lineEdit_portNumber")->setText(QString::number(taken.localPort()));
    child<QLineEdit>("lineEdit_portNumber_2")->setText(QString::number(freeUdpPort()));
    button("toolButton_Lidar")->click();
    ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_EQ(boxes.boxes[0].text, QString("Data Port:%1 : Bind Error").arg(taken.localPort()));
}

TEST_F(LiveFrames, APortTextThatIsNotAPortIsRefusedBeforeAnyReceiverStarts) {
    ModalCatcher boxes;
    for (const char* field : {"lineEdit_portNumber", "lineEdit_portNumber_2"}) {
        SCOPED_TRACE(field);
        child<QLineEdit>("lineEdit_portNumber")->setText(QString::number(freeUdpPort()));
        child<QLineEdit>("lineEdit_portNumber_2")->setText(QString::number(freeUdpPort()));
        child<QLineEdit>(field)->setText("abc");
        boxes.boxes.clear();
        button("toolButton_Lidar")->click();
        ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
        EXPECT_EQ(boxes.boxes[0].title, "Tips");
        EXPECT_TRUE(boxes.boxes[0].text.contains("\"abc\" is not a port"))
            << boxes.boxes[0].text.toStdString();
        EXPECT_FALSE(window.liveReceiverThread().isRunning());
        EXPECT_FALSE(window.statusReceiverThread().isRunning());
    }
}

TEST_F(LiveFrames, LidarGivesTheViewFocusAndTheFirstFrameIsFittedIntoIt) {
    auto* hint = child<QLabel>("label_ViewHint");
    EXPECT_TRUE(hint->isVisible());
    child<QComboBox>("comboBox_View")->setFocus();
    vtkCamera* camera =
        window.cloudView().viewer()->getRendererCollection()->GetFirstRenderer()->GetActiveCamera();
    ASSERT_TRUE(startLive());
    EXPECT_EQ(window.focusWidget(), screen());
    // The program gave the focus; the hint stays until the user does.
    EXPECT_TRUE(hint->isVisible());

    // A ring 30 m around the sensor, beyond what the "Top" preset shows
    // from 1 m up: fitted, the camera rises above it.
    std::vector<RingPoint> wide = ring(500);
    for (RingPoint& p : wide) {
        p.distanceRaw = 3000 * 256;
    }
    const std::uint64_t delivered = window.framesDelivered();
    send(payloadsOf({wide}));
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    double position[3], up[3];
    camera->GetPosition(position);
    camera->GetViewUp(up);
    EXPECT_GT(position[2], 30);
    EXPECT_NEAR(up[1], 1, 1e-9);

    // "Top" chosen again in the list brings a moved camera back, fitted.
    camera->Elevation(40);
    auto* views = child<QComboBox>("comboBox_View");
    views->showPopup();
    QAbstractItemView* list = views->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(CloudView::Top, 0)).center());
    EXPECT_TRUE(window.cloudView().showsPreset(CloudView::Top));
    camera->GetPosition(position);
    EXPECT_GT(position[2], 30);

    // Other tests' windows share the display and may take the activation
    // between ours and the click: then the click gives no focus event, and
    // it is tried again.
    for (int attempt = 0; attempt < 10 && !screen()->hasFocus(); ++attempt) {
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) {
            GTEST_SKIP() << "the display does not activate windows; the click cannot give focus";
        }
        child<QComboBox>("comboBox_View")->setFocus();
        QTest::mouseClick(screen(), Qt::LeftButton, {}, screen()->rect().center());
    }
    EXPECT_TRUE(screen()->hasFocus());
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(LiveFrames, AFrameFromTheNetworkIsDrawn) {
    ASSERT_TRUE(startLive());
    const QImage before = screen()->grabFramebuffer();

    // Points the view must leave out: distance 0, and a switched-off channel.
    std::vector<RingPoint> points = ring(2000);
    for (int i = 0; i < 2000; i += 10) {
        points[i].distanceRaw = 0;
    }
    for (int i = 5; i < 2000; i += 10) {
        points[i].channel = 3;
    }
    window.channelSelection().laserSelected[3] = 0;
    const std::uint64_t delivered = window.framesDelivered();
    send(payloadsOf({points}));
    ASSERT_TRUE(waitForDrawn(delivered, 1));

    EXPECT_EQ(window.lastFrameReceived().size(), 2000u);
    EXPECT_EQ(window.lastConversion().shown->size(), 1600u);
    const auto& actors = *window.cloudView().viewer()->getCloudActorMap();
    ASSERT_EQ(actors.count(CloudView::kFrameCloudId), 1u);
    EXPECT_EQ(
        actors.at(CloudView::kFrameCloudId).actor->GetMapper()->GetInput()->GetNumberOfPoints(),
        1600);
    EXPECT_GE(differingPixels(before, screen()->grabFramebuffer()), 100);

    // The list holds the first 256 shown points; the labels are blank.
    DataListModel* list = window.dataListModel();
    ASSERT_EQ(list->rowCount(), 256);
    EXPECT_EQ(list->text(0, 0), "0");
    EXPECT_EQ(list->text(0, 2), "0.20000000");
    EXPECT_EQ(list->text(0, 3), "0.180"); // point 1: the first one shown
    EXPECT_EQ(list->text(0, 5), "68.0000");
    const QStringList headers = {"PointID", "Points_m_XYZ", "Distance",
                                 "Azimuth", "Intensity",    "Laser_ID"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(list->headerData(c, Qt::Horizontal).toString(), headers[c]);
    }
}

TEST_F(LiveFrames, ShorterFrameLeavesTheOlderRowsOfTheList) {
    ASSERT_TRUE(startLive());
    MuchLidarData longer;
    MuchLidarData shorter;
    for (int i = 0; i < 300; ++i) {
        longer.append(68, 1.0f, 1000.0f + 25.0f * i, 7);
    }
    for (int i = 0; i < 10; ++i) {
        shorter.append(68, 2.0f, 20.0f, 9);
    }
    std::uint64_t delivered = window.framesDelivered();
    deliver(window, longer);
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    deliver(window, shorter);
    ASSERT_TRUE(waitForDrawn(delivered, 2));
    DataListModel* list = window.dataListModel();
    EXPECT_EQ(list->rowCount(), 256);
    EXPECT_EQ(list->text(9, 2), "0.20000000");
    EXPECT_EQ(list->text(10, 2), "12.50000000");
    EXPECT_EQ(list->text(255, 2), "73.75000000");
}

TEST_F(LiveFrames, SuspendedDisplayDropsFramesEntirely) {
    ASSERT_TRUE(startLive());
    MuchLidarData first;
    first.append(68, 1.0f, 30.0f, 7);
    MuchLidarData second;
    second.append(70, 2.0f, 40.0f, 8);
    std::uint64_t delivered = window.framesDelivered();
    deliver(window, first);
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    const std::uint64_t drawn = window.drawing().framesDrawn();

    button("tolbtn_SuspendData")->click();
    EXPECT_TRUE(button("tolbtn_SuspendData")->isChecked()); // shown pressed
    deliver(window, second);
    ASSERT_TRUE(waitForDrawn(delivered, 2));
    EXPECT_EQ(window.lastFrameReceived(), first);
    EXPECT_EQ(window.drawing().framesDrawn(), drawn);

    button("tolbtn_SuspendData")->click();
    EXPECT_FALSE(button("tolbtn_SuspendData")->isChecked());
    deliver(window, second);
    ASSERT_TRUE(waitForDrawn(delivered, 3));
    EXPECT_EQ(window.lastFrameReceived(), second);
    EXPECT_EQ(window.drawing().framesDrawn(), drawn + 1);
}

TEST_F(LiveFrames, FramesThatArriveDuringADrawAreSkippedNotDrawnInTurn) {
    ASSERT_TRUE(startLive());
    GetMuch& receiver = window.liveReceiverThread();
    const auto frame = payloadsOf({ring(30000)}, false);
    send(payloadsOf({}));
    // A first frame drawn: the view's buffers and the allocator's pools exist.
    std::uint64_t delivered = window.framesDelivered();
    send(frame);
    ASSERT_TRUE(waitForDrawn(delivered, 1));

    // The window is held up (it takes no events here) while 40 frames
    // arrive, one after the other, as during a draw far slower than the
    // sensor: they queue up for the window.
    const DrawCoalescer& drawing = window.drawing();
    const std::uint64_t emittedBefore = receiver.framesEmitted();
    const std::uint64_t drawnBefore = drawing.framesDrawn();
    const std::uint64_t skippedBefore = drawing.drawsSkipped();
    const long rssBefore = residentKiB();
    constexpr std::uint64_t kQueued = 40;
    for (std::uint64_t f = 1; f <= kQueued; ++f) {
        send(frame);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (receiver.framesEmitted() < emittedBefore + f &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(receiver.framesEmitted(), emittedBefore + f);
    }
    delivered = window.framesDelivered();
    ASSERT_TRUE(waitUntil([&] {
        return window.framesDelivered() == receiver.framesEmitted() && !drawing.drawPending();
    }));

    // Every frame is taken in, and only the newest of those that waited is
    // drawn: the view does not work through a backlog.
    EXPECT_EQ(window.framesDelivered() - delivered, kQueued);
    EXPECT_EQ(drawing.framesArrived(), receiver.framesEmitted());
    EXPECT_LE(drawing.framesDrawn() - drawnBefore, 2u);
    EXPECT_EQ((drawing.framesDrawn() - drawnBefore) + (drawing.drawsSkipped() - skippedBefore),
              kQueued);
    EXPECT_EQ(window.lastFrameReceived().size(), 30000u);
    // The backlog is freed once taken in: 40 frames of 480 KB were queued.
    EXPECT_LT(residentKiB() - rssBefore, 100 * 1024 + kAllocatorQuarantineKiB) << "KiB";
}

TEST_F(WindowTools, AccessCodeIsComparedAsText) {
    ModalCatcher boxes;
    QMetaObject::invokeMethod(&window, "onCodeData", Q_ARG(QString, "905"));
    QTest::qWait(50);
    EXPECT_TRUE(boxes.boxes.empty());
    for (const QString& wrong : {QString("905 "), QString(), QString("0905")}) {
        QMetaObject::invokeMethod(&window, "onCodeData", Q_ARG(QString, wrong));
    }
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, QString::fromUtf8("密码错误"));
}

TEST_F(WindowTools, ClearEmptiesViewAndListAndDataListToggles) {
    button("toolButton_clear")->click(); // before the first start: no list to clear
    ASSERT_TRUE(startLive());
    MuchLidarData f;
    f.append(68, 1.0f, 30.0f, 7);
    const std::uint64_t delivered = window.framesDelivered();
    deliver(window, f);
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    EXPECT_EQ(window.dataListModel()->rowCount(), 1);
    button("toolButton_clear")->click();
    EXPECT_EQ(window.dataListModel()->rowCount(), 0);
    EXPECT_EQ(window.dataListModel()->columnCount(), 6);
    EXPECT_TRUE(window.cloudView().viewer()->getCloudActorMap()->empty());

    auto* dock = child<QDockWidget>("LidraDataDock");
    EXPECT_TRUE(dock->isVisible());
    button("toolButton_LidarDataList")->click();
    EXPECT_FALSE(dock->isVisible());
    button("toolButton_LidarDataList")->click();
    EXPECT_TRUE(dock->isVisible());
}

TEST_F(WindowTools, ClosingTheWindowStopsTheReceivers) {
    ASSERT_TRUE(startLive());
    EXPECT_TRUE(window.liveReceiverThread().isRunning());
    EXPECT_TRUE(window.statusReceiverThread().isRunning());
    window.close();
    EXPECT_FALSE(window.liveReceiverThread().isRunning());
    EXPECT_FALSE(window.statusReceiverThread().isRunning());
}

TEST_F(DeviceWindows, ParameterDistanceAndAboutOpenTheirWindowsOnce) {
    const struct {
        const char* button;
        QWidget* shown;
        const char* title;
    } cases[] = {{"toolButton", &window.laserConfigWindow(), "InteractionMuchSet"},
                 {"toolButton_2", &window.codeWindow(), "CodeDialog"},
                 {"toolButton_About", &window.aboutWindow(), "About"}};
    const int topLevels = QApplication::topLevelWidgets().size();
    for (const auto& c : cases) {
        EXPECT_TRUE(button(c.button)->isEnabled()) << c.button;
        EXPECT_FALSE(c.shown->isVisible()) << c.button;
        button(c.button)->click();
        button(c.button)->click();
        EXPECT_TRUE(c.shown->isVisible()) << c.button;
        EXPECT_EQ(c.shown->windowTitle(), c.title);
        EXPECT_FALSE(c.shown->isModal()) << c.button;
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevels);
    // Before any live start the main-board version is unknown.
    EXPECT_TRUE(window.aboutWindow().findChild<QLabel*>("label_Version_Display")->text().isEmpty());
}

TEST_F(DeviceWindows, ClosingTheWindowEndsTheProgramWhileDialogsAreOpen) {
    button("toolButton")->click();
    button("toolButton_About")->click();
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [this] { window.close(); });
    closer.start(0);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::exit(1); });
    giveUp.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(DeviceWindows, TheCodeTypedIntoTheCodeDialogDecides) {
    ModalCatcher boxes;
    CodeDialog& dialog = window.codeWindow();
    auto* entry = dialog.findChild<QLineEdit*>("lineEdit");
    auto* ok = dialog.findChild<QPushButton*>("pushButton_ok");
    const auto enter = [&](const QString& code) {
        button("toolButton_2")->click();
        QTest::keyClicks(entry, code);
        ok->click();
        QTest::qWait(50);
    };
    // The right code opens the advanced parameter window.
    enter("905");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(window.advancedWindow().isVisible());
    window.advancedWindow().close();
    enter("905 ");
    enter("");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const ModalCatcher::Box& box : boxes.boxes) {
        EXPECT_EQ(box.text, QString::fromUtf8("密码错误"));
    }
}

TEST_F(LiveStatus, SecondPressKeepsEachStatusDeliverySingle) {
    MessageLog log;
    std::atomic<int> finishedRuns{0};
    GetSet& receiver = window.statusReceiverThread();
    QObject::connect(
        &receiver, &QThread::finished, &receiver, [&] { ++finishedRuns; }, Qt::DirectConnection);
    ASSERT_TRUE(startLive());
    button("toolButton_Lidar")->click();
    // The first run had ended before the press returned.
    EXPECT_EQ(finishedRuns.load(), 1);
    ASSERT_TRUE(waitUntil([&] { return receiver.boundPort() != 0; }));

    QueuedCallCounter dialogCalls(window.laserConfigWindow());
    QueuedCallCounter aboutCalls(window.aboutWindow());
    QueuedCallCounter advancedCalls(window.advancedWindow());
    const std::uint16_t port = static_cast<std::uint16_t>(receiver.boundPort());
    const struct {
        std::uint16_t rpm;
        const char* version;
    } reports[] = {
        {300, "2020.1.2-V1.0.00"}, {600, "2020.11.23-V2.1.05"}, {1200, "2021.3.4-V3.2.17"}};
    for (const auto& r : reports) {
        const DeviceInfoPacket::Bytes p = statusPacket(r.rpm, r.version);
        ASSERT_TRUE(sender.sendTo("127.0.0.1", port, p.data(), p.size()));
    }
    auto* rpm = window.laserConfigWindow().findChild<QLineEdit*>("lineEdit_Motor_State");
    auto* version = window.aboutWindow().findChild<QLabel*>("label_Version_Display");
    ASSERT_TRUE(waitUntil([&] { return version->text() == "2021.3.4-V3.2.17"; }));
    QTest::qWait(300);
    EXPECT_EQ(rpm->text(), "1200");
    // Each packet once, with its sender.
    EXPECT_EQ(dialogCalls.calls, 3);
    EXPECT_EQ(aboutCalls.calls, 3);
    // The advanced window keeps the last status and its ports.
    EXPECT_EQ(advancedCalls.calls, 3);
    const auto advancedRpm = window.advancedWindow().statusCopy().motorRpm; // packed: copy it out
    EXPECT_EQ(advancedRpm, 1200);
    EXPECT_EQ(window.advancedWindow().advancedPacket()[24], 0x09);
    for (const QString& line : MessageLog::lines()) {
        EXPECT_FALSE(line.contains("QObject::connect")) << line.toStdString();
    }

    // The main window's choice reaches all three device windows: a sensor
    // not heard yet shows nothing of the one heard.
    window.chooseDeviceSensor({127, 0, 0, 9});
    for (const SensorChooser* chooser :
         {&window.laserConfigWindow().sensors(), &window.advancedWindow().sensors(),
          &window.aboutWindow().sensors()}) {
        EXPECT_EQ(chooser->chosenName(), "127.0.0.9");
    }
    EXPECT_TRUE(version->text().isEmpty());
    EXPECT_TRUE(rpm->text().isEmpty());
}

TEST_F(LiveStatus, EquipmentPortBindErrorArrivesAsATipsBox) {
    UdpSocket taken;
    ASSERT_TRUE(taken.bindAny(0));
    ModalCatcher boxes;
    child<QLineEdit>("lineEdit_portNumber")->setText(QString::number(freeUdpPort()));
    child<QLineEdit>("lineEdit_portNumber_2")->setText(QString::number(taken.localPort()));
    button("toolButton_Lidar")->click();
    ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_EQ(boxes.boxes[0].text, QString("Equi Port:%1 : Bind Error").arg(taken.localPort()));
    // The data receiver runs on.
    EXPECT_TRUE(window.liveReceiverThread().isRunning());
}

TEST_F(LiveStatus, ASimulatedSensorFillsLaserConfigAndAbout) {
    ASSERT_TRUE(startLive());
    const int statusPort = window.statusReceiverThread().boundPort();
    QProcess simulator;
    simulator.start(qEnvironmentVariable("VANTOR_BIN_DIR") + "/sensor-sim",
                    {"--quiet", "--step", "5", "--rate", "5", "--port",
                     QString::number(boundPort()), "--equipment-port", QString::number(statusPort),
                     "--interval", "9", "--board-version", "2021.3.4-V3.2.17", "--seconds", "60"});
    ASSERT_TRUE(simulator.waitForStarted(30000));

    InteractionMuchSet& dialog = window.laserConfigWindow();
    const auto field = [&dialog](const char* name) {
        return dialog.findChild<QLineEdit*>(name)->text();
    };
    auto* version = window.aboutWindow().findChild<QLabel*>("label_Version_Display");
    ASSERT_TRUE(waitUntil(
        [&] {
            return version->text() == "2021.3.4-V3.2.17" && field("lineEdit_Motor_State") == "300";
        },
        30000));
    EXPECT_EQ(field("lineEdit_GPS_Position_latitude"), "4807.0380N");
    EXPECT_EQ(field("lineEdit_GPS_Position_longitude"), "01131.0000E");
    EXPECT_EQ(field("lineEdit_mac_addr"), "02-1a-2b-3c-4d-5e");
    EXPECT_TRUE(QRegularExpression(R"(^20\d\d/\d+/\d+ \d+:\d+:\d+:\d+:\d+$)")
                    .match(field("lineEdit_utc_time"))
                    .hasMatch())
        << field("lineEdit_utc_time").toStdString();

    ModalCatcher boxes;
    dialog.findChild<QPushButton*>("pushButton_LidarRefresh")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Resresh completed\nRead from sensor 127.0.0.1 (02-1a-2b-3c-4d-5e).");
    EXPECT_EQ(field("lineEdit_DefaultIP"), "127.0.0.1");
    EXPECT_EQ(field("lineEdit_Current_IP"), "127.0.0.1");
    EXPECT_EQ(field("lineEdit_DestIP"), "127.0.0.1");
    EXPECT_EQ(field("lineEdit_NTP"), "0.0.0.0");
    EXPECT_EQ(field("lineEdit_defaultPort"), QString::number(boundPort()));
    EXPECT_EQ(field("lineEdit_destPort"), QString::number(statusPort));
    EXPECT_EQ(field("lineEdit_Current_Port"), QString::number(statusPort));
    EXPECT_EQ(field("lineEdit_interval"), "9");
    EXPECT_EQ(dialog.findChild<QComboBox*>("comboBox_rotateSpeed")->currentText(), " 5 HZ");
    EXPECT_EQ(dialog.findChild<QComboBox*>("comboBox")->currentText(), "Run");
    // Its points arrive too.
    ASSERT_TRUE(waitUntil([this] { return window.framesDelivered() > 0; }, 30000));

    simulator.terminate();
    EXPECT_TRUE(simulator.waitForFinished(30000));
}
