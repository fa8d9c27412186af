#include "app/AppTestData.h"

#include "app/ResultListModel.h"
#include "app/TForm_Main.h"
#include "app/TFrame_Dic.h"
#include "core/ServiceData.h"
#include "display/RenderEntry.h"
#include "display/qt/TForm_Voc.h"
#include "platform/Paths.h"
#include "service/qt/TForm_SoftOnline.h"
#include "storage/TestFolder.h"
#include "study/qt/TForm_VocBaseInfo.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowMemory.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_app::Field;

const std::string kLongPhrase = "banana split with whipped cream"; // 31 bytes

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_voc::VocMembers members = testing_voc::BuildVocMembers({
            {"apple", testing_app::kApple},
            {"apple pie", testing_app::kApplePie},
            {"apply", "\xD3\xA6\xD3\xC3"},
            {"banana", "\xCF\xE3\xBD\xB6"},
            {kLongPhrase, "\xCF\xE3\xBD\xB6"},
            {"pear", "\xC0\xE6"},
        });
        members.Forms = "apples\tapple\t\xB8\xB4\xCA\xFD\r\n"; // 复数
        members.Present[7] = true;
        ASSERT_TRUE(testing_voc::WriteVoc(folder_ / "voc.dat", members));
        testing_app::InstalledEntries entries(folder_.Path());
        ASSERT_TRUE(entries.Add("apple", testing_app::AppleRecord(), {{0x1F, "ID3-apple"}}));
        ASSERT_TRUE(entries.Write());
        window_ = std::make_unique<app::TForm_Main>();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(window_->IndexLoaded());
    }
    void TearDown() override { window_.reset(); }

    app::TFrame_Dic& Frame() { return *window_->Frame_Dic1; }
    std::vector<std::string> Items() { return Frame().ListModel->Items(); }
    // Headwords of the listed items (the padded part, blanks removed).
    std::vector<std::string> Headwords() {
        std::vector<std::string> words;
        for (const auto& item : Items()) {
            std::string word = item.substr(0, 30);
            word.erase(word.find_last_not_of(' ') + 1);
            words.push_back(word);
        }
        return words;
    }
    void Type(const char* text) {
        QTest::keyClicks(Frame().LabeledEdit_Input, QString::fromUtf8(text));
    }

    storage::test::TestFolder folder_;
    std::unique_ptr<app::TForm_Main> window_;
};

TEST_F(MainWindowTest, TypingListsMatchesWithTheirGlosses) {
    Type("apple");
    ASSERT_EQ(Headwords(), std::vector<std::string>{"apple"});
    EXPECT_EQ(Items()[0], "apple" + std::string(25, ' ') + " " + testing_app::kApple);
    QModelIndex row = Frame().ListModel->index(0);
    EXPECT_TRUE(Frame().ListModel->data(row).toString().endsWith(QString::fromUtf8("苹果")));
    EXPECT_EQ(Frame().ListBox1->model()->rowCount(), 1);
}

TEST_F(MainWindowTest, LongHeadwordsAreElidedSoGlossesStayInOneColumn) {
    QTest::mouseClick(Frame().CheckBox_Phrase, Qt::LeftButton);
    Type("banana");
    const std::string gloss = " \xCF\xE3\xBD\xB6";
    const std::string ellipsis = "\xA1\xAD";
    EXPECT_EQ(Items(), (std::vector<std::string>{"banana" + std::string(24, ' ') + gloss,
                                                 kLongPhrase.substr(0, 29) + ellipsis + gloss}));
    // A cut never splits a Chinese character; the blank keeps the column.
    const std::string chinese = std::string(28, 'x') + "\xCF\xE3"; // 30 bytes
    EXPECT_EQ(app::ListBoxItem(core::MakeTagField(chinese, "En") + core::MakeTagField("g", "Cn")),
              std::string(28, 'x') + " " + ellipsis + " g");
    // The hint is the label under the list, not a tooltip over the results.
    EXPECT_TRUE(Frame().ListBox1->toolTip().isEmpty());
}

TEST_F(MainWindowTest, WindowStateIsRememberedAndToolWindowsOpenOverTheMainWindow) {
    window_->resize(300, 200);
    EXPECT_GE(window_->width(), app::TForm_Main::kMinWidth);
    EXPECT_GE(window_->height(), app::TForm_Main::kMinHeight);

    const QRect place(100, 100, 700, 600);
    window_->setGeometry(place);
    QTest::mouseClick(Frame().CheckBox_Phrase, Qt::LeftButton);
    QTest::mouseClick(Frame().CheckBox_Word, Qt::LeftButton);
    window_->close();
    window_ = std::make_unique<app::TForm_Main>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(window_->geometry(), place);
    EXPECT_FALSE(window_->isMaximized());
    EXPECT_TRUE(Frame().CheckBox_Phrase->isChecked());
    EXPECT_FALSE(Frame().CheckBox_Word->isChecked());

    // The entry window: centred over the main window; its size and zoom are kept.
    {
        display::TForm_Voc voc(folder_ / "voc.tmp", {}, window_.get());
        EXPECT_EQ(voc.geometry().center(), place.center());
        voc.resize(500, 400);
        voc.ZoomStyles(1);
        voc.ZoomStyles(1);
    }
    const int baseSize = display::VocStyleTable().TextStyles[0].Size;
    {
        display::TForm_Voc voc(folder_ / "voc.tmp", {}, window_.get());
        EXPECT_EQ(voc.size(), QSize(500, 400));
        EXPECT_EQ(voc.geometry().center(), place.center());
        EXPECT_EQ(voc.Zoom(), 2);
        EXPECT_EQ(voc.Styles().TextStyles[0].Size, baseSize + 2);
    }

    // Maximised stays maximised; a place no screen shows is forgotten.
    window_->showMaximized();
    window_->close();
    window_ = std::make_unique<app::TForm_Main>();
    EXPECT_TRUE(window_->isMaximized());
    ASSERT_TRUE(widgets::WriteRect("MainWindow", QRect(5000, 5000, 700, 500)));
    ASSERT_TRUE(widgets::WriteSwitch("MainWindowMaximized", false));
    window_ = std::make_unique<app::TForm_Main>();
    EXPECT_TRUE(widgets::IsOnAScreen(window_->geometry()));
    EXPECT_FALSE(window_->isMaximized());
}

TEST_F(MainWindowTest, BlankQueryKeepsTheList) {
    Type("ap");
    auto before = Headwords();
    EXPECT_EQ(before, (std::vector<std::string>{"apple", "apply"}));
    Frame().LabeledEdit_Input->setText(QStringLiteral("   "));
    EXPECT_EQ(Headwords(), before);
    Frame().LabeledEdit_Input->clear();
    EXPECT_EQ(Headwords(), before);
    // Digits do not qualify: the list empties.
    Type("7");
    EXPECT_TRUE(Items().empty());
}

TEST_F(MainWindowTest, CheckBoxesAndTheirLabelsRerunTheQuery) {
    Type("apple");
    EXPECT_EQ(Headwords(), std::vector<std::string>{"apple"});
    QTest::mouseClick(Frame().CheckBox_Phrase, Qt::LeftButton);
    EXPECT_TRUE(Frame().CheckBox_Phrase->isChecked());
    EXPECT_EQ(Headwords(), (std::vector<std::string>{"apple", "apple pie"}));
    QTest::mouseClick(Frame().Label_Word, Qt::LeftButton);
    EXPECT_FALSE(Frame().CheckBox_Word->isChecked());
    EXPECT_EQ(Headwords(), std::vector<std::string>{"apple pie"});
}

TEST_F(MainWindowTest, ChineseQueryFromTheQueryBox) {
    Frame().LabeledEdit_Input->setText(QString::fromUtf8("苹果"));
    EXPECT_EQ(Headwords(), std::vector<std::string>{"apple"});
    // A character GBK cannot hold is dropped from the query, not sent on.
    Frame().LabeledEdit_Input->setText(QString::fromUtf8("苹\xF0\x9F\x8D\x8E果"));
    EXPECT_EQ(Headwords(), std::vector<std::string>{"apple"});
}

// Runs `inModal` inside the next modal loop, then closes that window.
struct ModalProbe {
    bool seen = false;
    std::string headword;
    size_t actions = 0;
    void Arm() {
        QTimer::singleShot(0, [this] {
            auto* voc = qobject_cast<display::TForm_Voc*>(QApplication::activeModalWidget());
            if (!voc)
                return;
            seen = true;
            voc->RenderEntry();
            headword = voc->CurrentWord();
            actions = voc->Actions().size();
            voc->close();
        });
    }
};

// Types `query`, selects the first listed headword and presses Enter there,
// with `probe` armed.
void OpenFirstListed(app::TFrame_Dic& frame, const char* query, ModalProbe& probe) {
    QTest::keyClicks(frame.LabeledEdit_Input, QString::fromUtf8(query));
    frame.ListBox1->setCurrentIndex(frame.ListModel->index(0));
    probe.Arm();
    QTest::keyRelease(frame.ListBox1, Qt::Key_Return);
}

TEST_F(MainWindowTest, EnterInTheListOpensTheEntryWindow) {
    ModalProbe probe;
    OpenFirstListed(Frame(), "apple", probe);
    EXPECT_TRUE(probe.seen);
    EXPECT_EQ(probe.actions, 4u); // word sound, example sound, two synonyms
    EXPECT_TRUE(std::filesystem::exists(platform::ScratchFile("voc.tmp")));
}

// A system-wide install: the program folder is only read and the entry
// opens through the user folder.
TEST_F(MainWindowTest, ReadOnlyInstallOpensEntriesThroughTheUserFolder) {
    platform::Environment environment = platform::CurrentEnvironment();
    environment.UserFolder = folder_ / "user";
    platform::SetEnvironment(environment);
    auto programFiles = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Path()))
            if (entry.path().string().rfind(folder_ / "user", 0) != 0)
                names.push_back(entry.path().string());
        return names;
    };
    const std::vector<std::string> before = programFiles();
    ModalProbe probe;
    OpenFirstListed(Frame(), "apple", probe);
    EXPECT_TRUE(probe.seen);
    EXPECT_EQ(platform::ScratchFile("voc.tmp").rfind(folder_ / "user/scratch/", 0), 0u);
    EXPECT_EQ(programFiles(), before);
}

TEST_F(MainWindowTest, EntryThatCannotBeWrittenNamesTheFolder) {
    storage::test::WriteFileBytes(folder_ / "file", "");
    platform::Environment environment = platform::CurrentEnvironment();
    environment.UserFolder = folder_ / "file/user";
    platform::SetEnvironment(environment);
    Type("apple");
    Frame().ListBox1->setCurrentIndex(Frame().ListModel->index(0));
    QString message;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->close();
        }
    });
    QTest::keyRelease(Frame().ListBox1, Qt::Key_Return);
    EXPECT_TRUE(message.contains(QString::fromStdString(folder_ / "file/user/")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8("不能写入"))) << message.toStdString();
}

TEST_F(MainWindowTest, EnterInTheListWithoutSelectionOpensNothing) {
    Type("apple");
    Frame().ListBox1->clearSelection();
    Frame().ListBox1->setCurrentIndex({});
    ModalProbe probe;
    probe.Arm();
    QTest::keyRelease(Frame().ListBox1, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(probe.seen);
}

TEST_F(MainWindowTest, EnterInTheQueryBoxOpensTheTypedWord) {
    Type("  Apple ");
    ModalProbe probe;
    probe.Arm();
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Enter);
    EXPECT_TRUE(probe.seen);
}

TEST_F(MainWindowTest, WordWithoutAnEntryOpensNothing) {
    Type("pear");
    Frame().ListBox1->setCurrentIndex(Frame().ListModel->index(0));
    ModalProbe probe;
    probe.Arm();
    QTest::mouseDClick(Frame().ListBox1->viewport(), Qt::LeftButton, {},
                       Frame().ListBox1->visualRect(Frame().ListModel->index(0)).center());
    QApplication::processEvents();
    EXPECT_FALSE(probe.seen);
    EXPECT_FALSE(std::filesystem::exists(platform::ScratchFile("voc.tmp")));
}

TEST_F(MainWindowTest, WordInTheEntryOpensBaseInfoUntilTheEntryCloses) {
    {
        storage::TCDF baseData(folder_ / "vbi.dat");
        storage::Stream record = Field("fruit", "Name") + Field("\xCB\xAE\xB9\xFB", "CN"); // 水果
        ASSERT_TRUE(baseData.AddStream("fruit", record));
    }
    Type("apple");
    bool shownDuringEntry = false;
    QTimer::singleShot(0, [&] {
        auto* voc = qobject_cast<display::TForm_Voc*>(QApplication::activeModalWidget());
        if (!voc)
            return;
        voc->RenderEntry();
        voc->RichText_VocWordDblClick("fruit");
        shownDuringEntry = window_->BaseInfo()->isVisible();
        voc->close();
    });
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Return);
    EXPECT_TRUE(shownDuringEntry);
    EXPECT_FALSE(window_->BaseInfo()->isVisible());
}

TEST_F(MainWindowTest, ArrowKeysWalkTheListWhileTheQueryBoxKeepsTheFocus) {
    Type("ap");
    ASSERT_EQ(Headwords(), (std::vector<std::string>{"apple", "apply"}));
    QLineEdit* box = Frame().LabeledEdit_Input;
    EXPECT_EQ(Frame().SelectedIndex(), -1);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(Frame().SelectedIndex(), 0);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down); // stays on the last row
    EXPECT_EQ(Frame().SelectedIndex(), 1);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(Frame().SelectedIndex(), 0);
    QTest::keyClick(box, Qt::Key_PageDown);
    EXPECT_EQ(Frame().SelectedIndex(), 1);
    QTest::keyClick(box, Qt::Key_PageUp);
    EXPECT_EQ(Frame().SelectedIndex(), 0);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->text(), QStringLiteral("ap"));
    // Enter opens the selected line; then the box has the focus again, its
    // text selected for the next word.
    ModalProbe probe;
    probe.Arm();
    QTest::keyRelease(box, Qt::Key_Return);
    EXPECT_TRUE(probe.seen);
    EXPECT_EQ(probe.headword, "apple");
    // The window system hands the activation back after the entry window.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->selectedText(), QStringLiteral("ap"));
}

TEST_F(MainWindowTest, TypingGoesToTheQueryBoxFromAnywhere) {
    Type("ap");
    Frame().ListBox1->setFocus();
    QTest::keyClicks(Frame().ListBox1, QStringLiteral("pl"));
    EXPECT_EQ(Frame().LabeledEdit_Input->text(), QStringLiteral("appl"));
    EXPECT_TRUE(Frame().LabeledEdit_Input->hasFocus());
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_L, Qt::KeyboardModifiers(Qt::ControlModifier)},
          {Qt::Key_F3, Qt::KeyboardModifiers()}}) {
        Frame().ListBox1->setFocus();
        QTest::keyClick(Frame().ListBox1, key, modifiers);
        EXPECT_TRUE(Frame().LabeledEdit_Input->hasFocus());
        EXPECT_EQ(Frame().LabeledEdit_Input->selectedText(), QStringLiteral("appl"));
    }
}

TEST_F(MainWindowTest, FormsSuggestionsAndHintsLeadOn) {
    using core::RowKind;
    const auto& rows = Frame().ListModel->Rows();
    // An inflected form: its base first; Enter with nothing selected opens
    // the base, as the form has no entry.
    Type("apples");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].Kind, RowKind::Form);
    EXPECT_EQ(rows[0].Word, "apple");
    EXPECT_NE(Frame().ListModel->data(Frame().ListModel->index(0), Qt::ForegroundRole),
              QVariant());
    ModalProbe probe;
    probe.Arm();
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Return);
    EXPECT_EQ(probe.headword, "apple");
    // A misspelling: a note, then suggestions; Down steps over the note.
    Frame().LabeledEdit_Input->setText(QStringLiteral("appel"));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].Kind, RowKind::Note);
    EXPECT_EQ(rows[1].Kind, RowKind::Suggestion);
    EXPECT_EQ(rows[1].Word, "apple");
    QTest::keyClick(Frame().LabeledEdit_Input, Qt::Key_Down);
    EXPECT_EQ(Frame().SelectedIndex(), 1);
    // The filter hides every match: the hint line ticks the other box.
    Frame().LabeledEdit_Input->setText(QStringLiteral("apple p"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Kind, RowKind::FilterHint);
    QTest::keyClick(Frame().LabeledEdit_Input, Qt::Key_Down);
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Return);
    EXPECT_TRUE(Frame().CheckBox_Phrase->isChecked());
    EXPECT_EQ(Headwords(), std::vector<std::string>{"apple pie"});
}

TEST_F(MainWindowTest, EnterOnAChineseQueryOpensTheFirstResult) {
    Frame().LabeledEdit_Input->setText(QString::fromUtf8("苹果"));
    ModalProbe probe;
    probe.Arm();
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Return);
    EXPECT_EQ(probe.headword, "apple");
}

TEST_F(MainWindowTest, OpenedWordsAreKeptAcrossARestartAndCanBeCleared) {
    ModalProbe probe;
    OpenFirstListed(Frame(), "apple", probe);
    ASSERT_TRUE(probe.seen);
    EXPECT_EQ(window_->History().Words(), std::vector<std::string>{"apple"});
    window_.reset();
    window_ = std::make_unique<app::TForm_Main>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    // Down in the empty query box lists them, then a line that clears them.
    QTest::keyClick(Frame().LabeledEdit_Input, Qt::Key_Down);
    const auto& rows = Frame().ListModel->Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Kind, core::RowKind::History);
    EXPECT_EQ(rows[0].Word, "apple");
    EXPECT_EQ(rows[1].Kind, core::RowKind::Command);
    EXPECT_EQ(Frame().SelectedIndex(), 0);
    QTest::keyClick(Frame().LabeledEdit_Input, Qt::Key_Down);
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Return);
    EXPECT_TRUE(window_->History().Words().empty());
    EXPECT_EQ(rows.size(), 1u); // "no words yet"
    core::WordHistory reloaded;
    reloaded.Load();
    EXPECT_TRUE(reloaded.Words().empty());
}

TEST_F(MainWindowTest, ShutDownDeletesTheScratchFiles) {
    testing_app::WritePackage(platform::ScratchFile("voc.tmp"), "x");
    testing_app::WritePackage(platform::ScratchFile("out.mp3"), "x");
    window_.reset();
    EXPECT_FALSE(std::filesystem::exists(platform::ScratchFile("voc.tmp")));
    EXPECT_FALSE(std::filesystem::exists(platform::ScratchFile("out.mp3")));
}

TEST_F(MainWindowTest, EscReleasedInTheQueryBoxClosesTheWindow) {
    Type("apple");
    QTest::keyPress(Frame().LabeledEdit_Input, Qt::Key_Escape);
    QTest::keyRelease(Frame().LabeledEdit_Input, Qt::Key_Escape);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, ServiceButtonOpensTheOnlineServiceWindow) {
    // A service base where nothing listens: the window must not reach a
    // service that happens to run on this machine.
    storage::TCDF serviceData(core::ServiceDataFile(core::kServiceBaseMember));
    storage::Stream base = "http://127.0.0.1:1/qv/";
    ASSERT_TRUE(serviceData.AddStream(core::kServiceBaseMember, base));
    EXPECT_TRUE(window_->LbSpeedButton_OnLine->isEnabled());
    EXPECT_EQ(window_->LbSpeedButton_OnLine->text(), QStringLiteral("客服"));
    EXPECT_EQ(window_->LbSpeedButton_OnLine->toolTip(), QStringLiteral("在线客服"));
    QString title;
    QTimer::singleShot(0, [&] {
        if (auto* online =
                qobject_cast<service::TForm_SoftOnline*>(QApplication::activeModalWidget())) {
            title = online->windowTitle();
            QTest::keyClick(online, Qt::Key_Escape);
        }
    });
    QTest::mouseClick(window_->LbSpeedButton_OnLine, Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Quenlo英语词典 ---> [在线客服]"));
}

TEST_F(MainWindowTest, OpensAtThreeQuartersOfTheScreen) {
    QRect screen = window_->screen()->geometry();
    EXPECT_EQ(window_->width(), screen.width() * 3 / 4);
    EXPECT_EQ(window_->height(), screen.height() * 3 / 4);
}

// The hint line says in Chinese what is wrong with the word index, naming its
// file; typing keeps saying so.
TEST(MainWindowIndex, MissingOrDamagedIndexIsToldInChineseNamingTheFile) {
    storage::test::TestFolder folder;
    const QString file = QString::fromStdString(folder / "voc.dat");
    auto hintAfterTyping = [] {
        app::TForm_Main window;
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QString atStart = window.Frame_Dic1->Label_Hint->text();
        QTest::keyClicks(window.Frame_Dic1->LabeledEdit_Input, QStringLiteral("ap"));
        EXPECT_EQ(window.Frame_Dic1->Label_Hint->text(), atStart);
        return atStart;
    };
    const QString missing = hintAfterTyping();
    EXPECT_EQ(missing, QString::fromUtf8("词库数据错误：找不到词库索引文件“%1”。").arg(file));

    storage::test::WriteFileBytes(folder / "voc.dat", std::string(40, '\x7F'));
    const QString damaged = hintAfterTyping();
    EXPECT_EQ(damaged, QString::fromUtf8("词库数据错误：词库索引文件“%1”已损坏。").arg(file));
}

TEST(MainWindowAd, PictureComesFromServiceData) {
    storage::test::TestFolder folder;
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray gif;
    QBuffer buffer(&gif);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "PNG"));
    {
        storage::TCDF serviceData(folder / "sd.102");
        storage::Stream bytes(gif.constData(), static_cast<size_t>(gif.size()));
        ASSERT_TRUE(serviceData.AddStream(102000001u, bytes));
    }
    app::TForm_Main window;
    EXPECT_TRUE(window.LoadAdImage());
    EXPECT_EQ(window.Image_AD->pixmap().size(), QSize(40, 20));
}

TEST(MainWindowAd, MissingOrBrokenPictureKeepsTheDesignedOne) {
    storage::test::TestFolder folder;
    app::TForm_Main window;
    QSize designed = window.Image_AD->pixmap().size();
    EXPECT_FALSE(window.LoadAdImage());
    {
        storage::TCDF serviceData(folder / "sd.102");
        storage::Stream bytes = "GIF89a-not-really";
        ASSERT_TRUE(serviceData.AddStream(102000001u, bytes));
    }
    EXPECT_FALSE(window.LoadAdImage());
    EXPECT_EQ(window.Image_AD->pixmap().size(), designed);
}

} // namespace
