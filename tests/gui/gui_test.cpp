// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program driven as a user would, offscreen. Message boxes go through a scripted prompter;
// the program's own dialogs (no device, medium removed) are answered by clicking their buttons.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/desktop_arguments.h"
#include "app/startup_log.h"
#include "gui/device_dialogs.h"
#include "gui/file_icons.h"
#include "gui/look.h"
#include "gui/mode_window.h"
#include "gui/orvane_dlg.h"
#include "gui/pie_chart.h"
#include "gui/qt_progress.h"
#include "gui/qt_prompter.h"
#include "gui/range_slider.h"
#include "gui/sortable_lists.h"
#include "gui/tree_class.h"
#include "gui/wait_windows.h"
#include "support/fixtures.h"

using namespace salvora;
using namespace salvora::gui;

namespace {

struct ScriptedPrompter : Prompter {
    std::vector<std::string> messages;
    std::deque<bool> answers; // Yes/No answers in order; No when used up
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        messages.push_back(text);
        if (answers.empty())
            return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

std::string image(const char* name) {
    return test::fixturePath(std::string("partitions/") + name);
}

// Runs step every 20 ms on the event loop (also inside modal dialogs) until it returns true.
void whenReady(QObject* context, std::function<bool()> step) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, step] {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

void sendMouse(QWidget* widget, QEvent::Type type, int x) {
    const QPointF pos(x, widget->height() / 2.0);
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class GuiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareIconTheme(); }

    void escapeDoesNotCloseTheMainWindowAndClosingAsks() {
        Session session;
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        const std::string temp = test::makeTempDir();
        std::ofstream(temp + "/QFX_copy.jpg") << "x";
        std::ofstream(temp + "/keep.txt") << "x";
        dialog.setTemporaryFolder(temp);
        QVERIFY(dialog.initialise(""));
        QVERIFY(dialog.splashWindow() == nullptr); // no argument, no splash
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QVERIFY(prompter.messages.empty());

        prompter.answers = {false};
        dialog.close();
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompter.messages, std::vector<std::string>{kExitQuestion});
        QVERIFY(std::filesystem::exists(temp + "/QFX_copy.jpg"));

        prompter.answers = {true};
        dialog.exitButton()->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!std::filesystem::exists(temp + "/QFX_copy.jpg"));
        QVERIFY(std::filesystem::exists(temp + "/keep.txt"));
    }

    void theModeButtonsCarryTheirTexts() {
        Session session;
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        dialog.show();
        QCOMPARE(dialog.goButton(SearchMode::Basic)->toolTip(), QString("Start with 'Basic Search' mode"));
        QCOMPARE(dialog.goButton(SearchMode::Signature)->toolTip(),
                 QString("Start with 'Signature Search' mode"));
        QVERIFY(dialog.goButton(SearchMode::Photo)->isVisible());
        QVERIFY(!dialog.goButton(SearchMode::Video)->isVisible()); // Video Search stays hidden
        bool found = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            found |= label->text() == kModeEntries[1].description && label->isVisible();
        QVERIFY(found);
    }

    void aDoubleGoOpensOneModeWindowAndClosingItBringsBackTheMainWindow() {
        Session session;
        session.sources.diskImages = {image("mbr-extended.img"), image("gpt.img")};
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        dialog.show();
        std::vector<std::string> disks;
        bool mainHidden = false;
        connect(&dialog, &COrvaneDlg::modeWindowOpened, this, [&](ModeWindow* window) {
            const DriveTree& tree = window->page().tree();
            for (NodeId disk : tree.node(window->page().roots().physical).children)
                disks.push_back(tree.node(disk).label);
            mainHidden = !dialog.isVisible();
            QTimer::singleShot(50, window, [window] { window->backButton()->click(); });
        });
        dialog.goButton(SearchMode::Signature)->click();
        dialog.goButton(SearchMode::Signature)->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.modeWindowsOpened() == 1 && !dialog.state().modeWindowOpen, 10000);
        QTest::qWait(200);
        QCOMPARE(dialog.modeWindowsOpened(), 1);
        QVERIFY(mainHidden);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.isEnabled());
        QCOMPARE(dialog.state().SearchMode, 5);
        QCOMPARE(disks.size(), size_t(2));
        QVERIFY(!dialog.pleaseWaitWindow()->running());
    }

    // A new user's round: two images attached, every mode chosen in turn, every kind of node selected,
    // the tree refreshed, back to the main window, and out with the exit question.
    void everyModeOpensOnTheDriveTreeAndReturns() {
        Session session;
        session.sources.diskImages = {image("mbr-extended.img")};
        session.sources.volumeImages = {image("ntfs-volume.img")};
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        dialog.setTemporaryFolder(test::makeTempDir());
        dialog.show();
        std::vector<QString> titles;
        std::vector<int> panelRows;
        connect(&dialog, &COrvaneDlg::modeWindowOpened, this, [&](ModeWindow* window) {
            titles.push_back(window->windowTitle());
            const DriveTree& tree = window->page().tree();
            const NodeId disk = tree.node(window->page().roots().physical).children.at(0);
            const NodeId partition = tree.node(disk).children.at(0);
            const NodeId drive = tree.node(window->page().roots().logical).children.at(0);
            for (NodeId node : {disk, partition, drive}) {
                window->driveTree()->setCurrentItem(window->itemOf(node));
                panelRows.push_back(window->panel()->topLevelItemCount());
            }
            window->refreshButton()->click();
            panelRows.push_back(window->panel()->isVisible() ? -1 : window->driveTree()->topLevelItemCount());
            QTimer::singleShot(0, window, [window] { window->backButton()->click(); });
        });
        const SearchMode modes[] = {SearchMode::Basic, SearchMode::Deep, SearchMode::Photo,
                                    SearchMode::Signature, SearchMode::Video};
        for (SearchMode mode : modes) {
            const int before = dialog.modeWindowsOpened();
            dialog.goMode(mode);
            QTRY_VERIFY_WITH_TIMEOUT(
                dialog.modeWindowsOpened() == before + 1 && !dialog.state().modeWindowOpen, 10000);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.state().SearchMode, static_cast<int>(mode));
        }
        QCOMPARE(titles, (std::vector<QString>{
                             "Quillwort Salvora - Basic Search", "Quillwort Salvora - Deep Search",
                             "Quillwort Salvora - Photo Search", "Quillwort Salvora - Signature Search",
                             "Quillwort Salvora - Video Search"}));
        for (std::size_t i = 0; i < panelRows.size(); i += 4)
            QCOMPARE(
                (std::vector<int>(panelRows.begin() + i, panelRows.begin() + i + 4)),
                (std::vector<int>{13, 7, 9, 1})); // disk, partition, drive panels; one root after refresh
        QVERIFY(prompter.messages.empty());
        prompter.answers = {true};
        dialog.close();
        QCOMPARE(prompter.messages, std::vector<std::string>{kExitQuestion});
        QVERIFY(!dialog.isVisible());
    }

    void progressReachesTheWidgetsFromAWorker() {
        QProgressBar bar;
        QLabel status;
        QtProgress progress;
        progress.showOn(&bar, &status);
        std::thread worker([&] {
            progress.setRange(1000, 3000);
            progress.setPosition(2000);
            progress.setStatus("Scanning sector 2000");
        });
        worker.join();
        QCOMPARE(bar.value(), 0); // queued: nothing is touched on the worker's thread
        QTRY_COMPARE(bar.value(), 500);
        QCOMPARE(status.text(), QString("Scanning sector 2000"));
    }

    void selectingNodesShowsTheirPanelsAndRefreshRebuilds() {
        Session session;
        session.sources.diskImages = {image("mbr-extended.img")};
        session.sources.volumeImages = {image("ntfs-volume.img")};
        ScriptedPrompter prompter;
        CNoDevice noDevice;
        QtDeviceDialogs dialogs(noDevice, nullptr);
        ModeWindow window(session, SearchMode::Basic, prompter, dialogs);
        QSignalSpy ready(&window, &ModeWindow::ready);
        window.show();
        QTRY_COMPARE(ready.count(), 1);
        QVERIFY(window.hint()->isVisible());
        QCOMPARE(window.hint()->text(), QString("Select drive to start recovery..."));

        const DriveTree& tree = window.page().tree();
        NodeId disk = tree.node(window.page().roots().physical).children.at(0);
        window.driveTree()->setCurrentItem(window.itemOf(disk));
        QCOMPARE(window.panel()->topLevelItemCount(), 13);
        QCOMPARE(window.panel()->topLevelItem(0)->text(0), QString("1. Model :"));
        QVERIFY(window.panel()->isVisible());
        QCOMPARE(session.driveList.SelectionKind, std::string("Hard Disk"));

        window.driveTree()->setCurrentItem(window.itemOf(tree.node(disk).children.at(0)));
        QCOMPARE(window.panel()->topLevelItemCount(), 7);
        QCOMPARE(window.panel()->topLevelItem(3)->text(1), QString("Basic Search"));

        window.driveTree()->setCurrentItem(
            window.itemOf(tree.node(window.page().roots().logical).children.back()));
        QCOMPARE(window.panel()->topLevelItemCount(), 9);
        QCOMPARE(session.driveList.SelectionKind, std::string("Logical"));

        window.refreshButton()->click();
        QCOMPARE(window.driveTree()->currentItem(), window.itemOf(window.page().roots().computer));
        QVERIFY(window.hint()->isVisible());
        QVERIFY(prompter.messages.empty());

        window.page().setRecoveredItemsListed(true);
        window.refreshButton()->click();
        QCOMPARE(prompter.messages, std::vector<std::string>{kRefreshRefused});
    }

    void noDeviceShowsTheDialogAndRetryAfterAttachingAnImageListsIt() {
        Session session;
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        dialog.show();
        int retries = 0;
        whenReady(this, [&] {
            CNoDevice& noDevice = dialog.noDeviceWindow();
            if (!noDevice.isVisible())
                return false;
            if (retries++ == 0) {
                noDevice.retryButton()->click(); // still nothing: the dialog stays
                return !noDevice.isVisible();
            }
            session.sources.diskImages = {image("mbr-fat16.img")};
            noDevice.retryButton()->click();
            return true;
        });
        std::vector<std::string> disks;
        connect(&dialog, &COrvaneDlg::modeWindowOpened, this, [&](ModeWindow* window) {
            const DriveTree& tree = window->page().tree();
            for (NodeId disk : tree.node(window->page().roots().physical).children)
                disks.push_back(tree.node(disk).label);
            QTimer::singleShot(0, window, [window] { window->reject(); });
        });
        dialog.goButton(SearchMode::Basic)->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.modeWindowsOpened() == 1 && !dialog.state().modeWindowOpen, 10000);
        QCOMPARE(retries, 2);
        QCOMPARE(disks, std::vector<std::string>{"Removable Media (Disk0 - 32.00 MB)"});
        QVERIFY(!dialog.noDeviceWindow().isVisible());
    }

    void exitFromTheNoDeviceDialogReturnsToTheMainWindow() {
        Session session;
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        dialog.show();
        whenReady(this, [&] {
            if (!dialog.noDeviceWindow().isVisible())
                return false;
            dialog.noDeviceWindow().exitButton()->click();
            return true;
        });
        dialog.goButton(SearchMode::Photo)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.state().modeWindowOpen && dialog.isVisible(), 10000);
        QVERIFY(dialog.isEnabled());
        QVERIFY(prompter.messages.empty());
    }

    void theCommandLineLogPathMayBeQuoted() {
        const std::string dir = test::makeTempDir();
        const std::string path = dir + "/my card.SLV";
        std::ofstream(path, std::ios::binary) << "not a log";
        const std::string argument = parseDesktopArguments({"\"" + path + "\""}).logArgument;
        QCOMPARE(argument, path);

        Session session;
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        QVERIFY(dialog.initialise(argument));
        QVERIFY(dialog.splashWindow() != nullptr);
        QVERIFY(!dialog.splashWindow()->isVisible()); // hidden for the message
        QCOMPARE(prompter.messages, std::vector<std::string>{kLogInvalidMessage});

        COrvaneDlg missing(session, prompter);
        QVERIFY(!missing.initialise(commandLineArgument("\"" + dir + "/absent.SLV\"")));
    }

    void aLogOfDeepSearchOpensTheDeepSearchWindow() {
        // The header as the log writer lays it out: three strings (FF FE FF, a count, UTF-16LE), then the
        // mode.
        std::string header;
        for (std::string text : {std::string("Hard Disk"), std::string(kRecoveryLogMagic), std::string("Model")}) {
            header += "\xFF\xFE\xFF";
            header += static_cast<char>(text.size());
            for (char c : text)
                header += std::string{c, '\0'};
        }
        header += std::string("\x02\0\0\0", 4);
        const std::string path = test::makeTempDir() + "/deep scan.SLV";
        std::ofstream(path, std::ios::binary) << header;

        Session session;
        session.sources.diskImages = {image("mbr-fat16.img")};
        ScriptedPrompter prompter;
        COrvaneDlg dialog(session, prompter);
        QString title;
        connect(&dialog, &COrvaneDlg::modeWindowOpened, this, [&](ModeWindow* window) {
            title = window->windowTitle();
            QTimer::singleShot(0, window, [window] { window->reject(); });
        });
        QVERIFY(dialog.initialise(parseDesktopArguments({"\"" + path + "\""}).logArgument));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.modeWindowsOpened() == 1 && !dialog.state().modeWindowOpen, 10000);
        QCOMPARE(title, QString("Quillwort Salvora - Deep Search"));
        QVERIFY(prompter.messages.empty());
    }

    void aWorkerWaitsForTheMediumRemovedAnswer() {
        QtPrompter prompter;
        std::atomic<bool> done{false};
        bool waitedForAnswer = false;
        MediumRemovedAnswer answer;
        // The question is shown on this thread while the worker waits; answered from the event loop.
        whenReady(this, [&] {
            auto* shown = qobject_cast<CMediaRemoved*>(QApplication::activeModalWidget());
            if (!shown)
                return false;
            waitedForAnswer = !done;
            shown->applyAlwaysBox()->setChecked(true);
            shown->retryButton()->click();
            return true;
        });
        std::thread worker([&] {
            answer = prompter.askMediumRemoved();
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
        worker.join();
        QVERIFY(waitedForAnswer);
        QCOMPARE(answer.cancel, false);
        QCOMPARE(answer.retryMode, 5);
    }

    void theMediumRemovedDialogAnswers() {
        struct Case {
            bool tick;
            bool cancel;
            bool expectCancel;
            int expectMode;
        } cases[] = {
            {false, false, false, 1}, {true, false, false, 5}, {false, true, true, 0}, {true, true, true, 0}};
        for (const Case& c : cases) {
            CMediaRemoved dialog;
            dialog.show();
            dialog.applyAlwaysBox()->setChecked(c.tick);
            (c.cancel ? dialog.cancelButton() : dialog.retryButton())->click();
            QCOMPARE(dialog.answer().cancel, c.expectCancel);
            QCOMPARE(dialog.answer().retryMode, c.expectMode);
        }
        CMediaRemoved closed;
        closed.show();
        closed.applyAlwaysBox()->setChecked(true);
        closed.reject();
        QCOMPARE(closed.answer().retryMode, 0);
        QCOMPARE(closed.answer().cancel, false);
    }

    void theWholeMediumQuestionAnswers() {
        CNoDevice noDevice;
        QtDeviceDialogs dialogs(noDevice, nullptr);
        for (bool accept : {true, false}) {
            whenReady(this, [accept] {
                auto* shown = qobject_cast<CRem_Media_Scan*>(QApplication::activeModalWidget());
                if (!shown)
                    return false;
                (accept ? shown->acceptButton() : shown->cancelButton())->click();
                return true;
            });
            QCOMPARE(dialogs.confirmWholeMediumScan(), accept);
        }
    }

    void theSliderFollowsItsRules() {
        CRangeSlider slider;
        slider.resize(224, 22); // 12 px handles: 200 usable pixels, 5 units a pixel
        slider.show();
        slider.setMinMax(0, 1000);
        slider.setRange(200, 600);
        QSignalSpy changed(&slider, &CRangeSlider::rangeChanged);

        // The bar dragged against the left end keeps its span.
        const int bar =
            static_cast<int>((slider.model().leftHandleX() + 12 + slider.model().rightHandleX()) / 2);
        sendMouse(&slider, QEvent::MouseButtonPress, bar);
        sendMouse(&slider, QEvent::MouseMove, -400);
        sendMouse(&slider, QEvent::MouseButtonRelease, -400);
        QCOMPARE(slider.model().left(), 0.0);
        QCOMPARE(slider.model().right(), 400.0);
        QCOMPARE(changed.last().at(0).toInt(), 2);

        // The left handle dragged past the right handle stops there.
        const int left = static_cast<int>(slider.model().leftHandleX() + 6);
        sendMouse(&slider, QEvent::MouseButtonPress, left);
        sendMouse(&slider, QEvent::MouseMove, 223);
        sendMouse(&slider, QEvent::MouseButtonRelease, 223);
        QCOMPARE(slider.model().left(), 400.0);
        QCOMPARE(changed.last().at(0).toInt(), 0);

        slider.setRange(200, 600);
        changed.clear();
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(slider.model().left(), 205.0);
        QCOMPARE(changed.last().at(0).toInt(), 2);
        QTest::keyClick(&slider, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(slider.model().left(), 205.0);
        QCOMPARE(slider.model().right(), 610.0);
        QCOMPARE(changed.last().at(0).toInt(), 0);

        slider.setMinMax(300, 300);
        changed.clear();
        QTest::keyClick(&slider, Qt::Key_Left);
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(changed.count(), 0);
    }

    void listsSortByClickedHeaders() {
        CColoredListCtrl list;
        list.setHeaderLabels({"Name", "Size"});
        list.setNumericColumn(1);
        for (auto [name, size] : {std::pair{"b", "10"}, {"A", "9"}, {"c", "100"}})
            new QTreeWidgetItem(&list, {name, size});
        list.sortByColumnClick(1);
        QCOMPARE(list.topLevelItem(0)->text(1), QString("9"));
        QCOMPARE(list.topLevelItem(2)->text(1), QString("100"));
        list.sortByColumnClick(1);
        QCOMPARE(list.topLevelItem(0)->text(1), QString("100"));
        list.sortByColumnClick(0);
        QCOMPARE(list.topLevelItem(0)->text(0), QString("A")); // case-insensitive, ascending again
        QCOMPARE(list.topLevelItem(1)->text(0), QString("b"));
    }

    void controlsKeepTheirStyles() {
        CTreeClass tree;
        auto* plain = new QTreeWidgetItem(&tree, {"plain"});
        auto* marked = new QTreeWidgetItem(&tree, {"marked"});
        tree.setItemColor(marked, Qt::red);
        tree.setItemBold(marked, true);
        QVERIFY(tree.itemBold(marked));
        QVERIFY(marked->font(0).bold());
        QCOMPARE(marked->foreground(0).color(), QColor(Qt::red));
        QVERIFY(!tree.itemBold(plain));
        QVERIFY(!tree.itemColor(plain).isValid());

        CPieChartWnd pie;
        pie.setSlices({{"JPG", 12}, {"empty", 0}, {"PNG", 3}});
        QCOMPARE(pie.slices().size(), 2);
        QVERIFY(!pie.grab().isNull());
    }

    void fileIconsAskTheThemeOncePerRunOfOneExtension() {
        SystemIcons icons;
        CSystemImageList list(icons);
        const int jpg = list.SystemIconIndex("IMG_0001.jpg");
        QCOMPARE(list.SystemIconIndex("IMG_0002.jpg"), jpg);
        QCOMPARE(icons.lookups(), 1);
        QCOMPARE(list.SystemIconIndex("IMG_0003.JPG"), jpg); // another lookup, the same picture icon
        QCOMPARE(icons.lookups(), 2);
        QVERIFY(!list.icon(jpg).isNull());
        const int text = list.SystemIconIndex("notes.txt");
        QVERIFY(text != jpg);
        QCOMPARE(list.SystemIconIndex("no extension"), list.SystemIconIndex("other"));
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
