#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <thread>

#include "main_window/qt/controls.h"
#include "platform/qt/qt_open_file_dialog.h"
#include "sound/sound_kinds.h"
#include "tests/gui/window_fixture.h"
#include "tests/support/melody_names.h"

namespace zorvik {
namespace {

using testing::writeFile;
namespace fs = std::filesystem;

class WindowEvents : public testing::WindowFixture, public ::testing::Test {
protected:
    WindowEvents() {
        writeFile(rings() / "a.wav", testing::waveFile("a"));
        writeFile(rings() / "b.wav", testing::waveFile("b"));
    }
};

// Each box has its icon and shows its text whole, a question naming a long name too: no wider
// than the screen, it breaks the name.
TEST_F(WindowEvents, EachBoxHasItsIconAndShowsItsTextWhole) {
    writeFile(rings() / "a.wav", "not a sound");
    storeOptions("\"Audio\"=dword:00000001\n");
    start();
    std::vector<QMessageBox::Icon> shown;
    QStringList cut;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        shown.push_back(box->icon());
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        const QFontMetrics metrics(label->font());
        // what the box cannot break between words must fit in it
        for (const QString& word : label->text().split(QRegularExpression(QStringLiteral("\\s")))) {
            if (metrics.horizontalAdvance(word) > label->contentsRect().width()) {
                cut << word;
            }
        }
        auto* answer = box->button(QMessageBox::Retry);
        answer = answer != nullptr ? answer : box->button(QMessageBox::Cancel);
        (answer != nullptr ? answer : box->button(QMessageBox::Ok))->click();
    });
    watch.start(10);
    qobject_cast<QPushButton*>(control("Command3"))->click();  // nothing marked yet
    list()->selectRow(0);                                      // a melody that cannot play
    EXPECT_EQ(platform().messageBox().retryOrCancel("Файлът е зает.", "Zorvik"), kAnswerRetry);
    const std::string longest = testing::melodyNamesOfEveryScript().back();
    platform().messageBox().confirm(
        "Желаете ли окончателно изтриване на мелодията?\r\n„" + longest + "“",
        "Потвърди изтриването");
    EXPECT_EQ(shown, (std::vector{QMessageBox::Information, QMessageBox::Critical,
                                  QMessageBox::Warning, QMessageBox::Question}));
    EXPECT_TRUE(cut.empty()) << cut.join(QStringLiteral(" | ")).toStdString();
}

// The environment's locale here is not Bulgarian (a C locale, LANG=C.UTF-8 and the like).
TEST_F(WindowEvents,
       TheOpenFileDialogHasTheDesignsTitleAndFilterIsWhollyBulgarianAndLeavesNoTrace) {
    auto owned = std::make_unique<QFileDialog>();
    QFileDialog& dialog = *owned;
    // the desktop's filter: the design's first, then the sounds this build converts
    QtOpenFileDialog(nullptr, "Добавяне на мелодия за звънене на Zorvik.",
                     "Wav|*.wav" + sound::convertibleSoundFilters(),
                     [](const std::string& host) -> Result<std::string> { return host; })
        .configure(dialog);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Добавяне на мелодия за звънене на Zorvik.");
    const QStringList filters = dialog.nameFilters();
    ASSERT_GE(filters.size(), 4);
    EXPECT_EQ(filters.front(), QStringLiteral("Wav (*.wav)"));
    EXPECT_TRUE(filters[1].startsWith(QStringLiteral("Всички звуци (*.wav *.mp3 *.m4a")));
    EXPECT_EQ(filters[2], QStringLiteral("Звук MP3 (*.mp3)"));
    EXPECT_EQ(filters.back(), QStringLiteral("Всички файлове (*.*)"));
    auto* filterBox = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(filterBox, nullptr);
    EXPECT_EQ(filterBox->currentText().toStdString(), "Wav");

    fs::create_directories(root / "pick" / "Папка");
    writeFile(root / "pick" / "LOUD.WAV", std::string(65 * 1024, 'x'));
    writeFile(root / "pick" / "quiet.wav", "x");
    writeFile(root / "pick" / "notes.txt", "x");
    for (const char* name : {"Папка", "LOUD.WAV", "quiet.wav"}) {
        const QDateTime modified(QDate(2024, 12, 8), QTime(14, 3));
        fs::last_write_time(
            root / "pick" / name,
            std::chrono::file_clock::from_sys(
                std::chrono::system_clock::from_time_t(modified.toSecsSinceEpoch())));
    }
    const QString folder = QString::fromStdString((root / "pick").string());
    auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    bool loaded = false;
    QObject::connect(files, &QFileSystemModel::directoryLoaded,
                     [&](const QString& path) { loaded = loaded || path == folder; });
    dialog.setDirectory(folder);
    dialog.show();
    ASSERT_TRUE(waitFor([&] { return loaded; }));
    // the pattern matches as on Windows (a melody named in capitals shows too); each row reads
    // name|size|type|date
    QStringList rows;
    const QModelIndex parent = dialog.proxyModel()->mapFromSource(files->index(folder));
    for (int row = 0; row < dialog.proxyModel()->rowCount(parent); ++row) {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            cells << dialog.proxyModel()->index(row, column, parent).data().toString();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    rows.sort();
    EXPECT_EQ(rows.join(QLatin1Char('\n')).toStdString(),
              "LOUD.WAV|65 КБ|Файл WAV|8.12.2024 г. 14:03\n"
              "quiet.wav|1 КБ|Файл WAV|8.12.2024 г. 14:03\n"
              "Папка||Папка|8.12.2024 г. 14:03");

    // size, type and date fit however narrow the dialog; the names once it is widened
    // (the view's measure of what a column needs is public on the base class only)
    QAbstractItemView* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(details, nullptr);
    for (const QSize size : {QSize(500, 300), QSize(1000, 600)}) {
        dialog.resize(size);
        waitFor([] { return false; }, 50);
        for (int column = size.width() > 500 ? 0 : 1; column < 4; ++column) {
            EXPECT_GE(static_cast<QTreeView*>(details)->columnWidth(column),
                      details->sizeHintForColumn(column))
                << "column " << column << " is cut in a dialog of width " << size.width();
        }
    }
    owned.reset();  // Qt's dialog saves its history as it goes
    const QString where = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    EXPECT_FALSE(QFileInfo::exists(where)) << where.toStdString();
}

TEST_F(WindowEvents, TheDialogGivesWindowsPathsAndRefusesNamesWindowsCannotHold) {
    start();
    fs::create_directories(root / "pick");
    writeFile(root / "pick" / "Нова.wav", "x");
    writeFile(root / "pick" / "bad:name.wav", "x");
    QtOpenFileDialog dialog(nullptr, "t", "Wav|*.wav", [&](const std::string& host) {
        return platform().drives().windowsPathOf(host);
    });
    answerFileDialogs(QString::fromStdString((root / "pick" / "Нова.wav").string()));
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileTitle(), "Нова.wav");
    EXPECT_EQ(dialog.FileName(), testing::onDriveZ(root / "pick" / "Нова.wav"));

    answerFileDialogs(QString::fromStdString((root / "pick" / "bad:name.wav").string()));
    EXPECT_FALSE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileTitle(), "");

    answerFileDialogs();  // cancelled after an earlier choice
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileTitle(), "");
}

// Before its dialog shows, a copy holds the user's input back as the dialog will: a click on
// the window does nothing meanwhile. Uncancelled, what the copy made stands.
TEST_F(WindowEvents, BeforeTheCopysDialogShowsTheWindowTakesNoInput) {
    start();
    QtProgress& progress = platform().progress();
    progress.setDialogDelay(60'000);  // not before the test is over
    const std::int16_t check1 = program->form().Check1().Value();
    std::atomic<bool> clicked{false};
    QTimer::singleShot(50, [&] {
        QTest::mouseClick(control("Check1"), Qt::LeftButton);
        clicked = true;
    });
    EXPECT_TRUE(progress.run("Копиране на „a.wav“…", [&](CopyProgress&) {
        for (int i = 0; i < 500 && !clicked; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(program->form().Check1().Value(), check1);
}

}  // namespace
}  // namespace zorvik
