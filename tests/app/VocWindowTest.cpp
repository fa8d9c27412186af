#include "app/AppTestData.h"

#include "display/qt/TForm_Voc.h"
#include "display/qt/TFrame_Voc.h"
#include "display/qt/TRichTextView.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "storage/TestFolder.h"
#include "study/FollowText.h"
#include "widgets/Application.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_app::Field;

class VocWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<display::TForm_Voc> Open(const std::string& record,
                                             std::map<uint32_t, std::string> sounds = {}) {
        EXPECT_TRUE(testing_app::WritePackage(folder_ / "voc.tmp", record, sounds));
        display::VocWindowServices services;
        services.FollowAlong = [this](const std::string& r) { followAlong_.push_back(r); };
        services.ShowBaseInfo = [this](const std::string& w) { baseInfo_.push_back(w); };
        services.HideBaseInfo = [this] { ++hidden_; };
        auto window = std::make_unique<display::TForm_Voc>(folder_ / "voc.tmp", services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->RenderEntry();
        return window;
    }
    static display::TRichTextView& View(display::TForm_Voc& w) {
        return *w.Frame_Voc1->RichText_Voc;
    }

    storage::test::TestFolder folder_;
    std::vector<std::string> followAlong_;
    std::vector<std::string> baseInfo_;
    int hidden_ = 0;
};

// Synonyms lead from entry to entry in the window; Back and Forward return,
// each entry where it was scrolled to.
TEST_F(VocWindowTest, SynonymOpensItsEntryAndBackReturnsWhereItWas) {
    // A long "apple" (forty definitions), so that it scrolls.
    std::string ywjs = Field("n.", "CX") + Field("", "En") + "\r\n";
    for (int i = 0; i < 40; ++i)
        ywjs += Field("n.", "CX") + Field("definition " + std::to_string(i), "En") +
                Field("[1=pome][2=fruit]", "TYC") + "\r\n";
    const std::map<std::string, std::string> entries = {
        {"apple", Field(Field("apple", "Name"), "Voc") + Field(ywjs, "YWJS")},
        {"fruit", Field(Field("fruit", "Name") + Field("\xCB\xAE\xB9\xFB", "CN"), "Voc")}};
    std::vector<std::string> asked;
    ASSERT_TRUE(testing_app::WritePackage(folder_ / "voc.tmp", entries.at("apple")));
    display::VocWindowServices services;
    services.OpenWord = [&](const std::string& word) {
        asked.push_back(word);
        auto it = entries.find(word);
        return it != entries.end() && testing_app::WritePackage(folder_ / "voc.tmp", it->second);
    };
    display::TForm_Voc window(folder_ / "voc.tmp", services);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.RenderEntry();
    EXPECT_EQ(window.CurrentWord(), "apple");
    EXPECT_FALSE(window.LbSpeedButton_Back->isEnabled());
    View(window).SetVScrollPos(7);
    ASSERT_EQ(View(window).VScrollPos(), 7);

    auto jumpTo = [&](const std::string& synonym) {
        for (size_t n = 0; n < window.Actions().size(); ++n) {
            if (core::GetTagValue(window.Actions()[n], "TXT") == synonym) {
                window.RichText_VocJump(static_cast<int>(n));
                return;
            }
        }
        ADD_FAILURE() << "no link to " << synonym;
    };
    jumpTo("fruit");
    EXPECT_EQ(window.CurrentWord(), "fruit");
    EXPECT_EQ(View(window).VScrollPos(), 0);
    EXPECT_EQ(window.BackWords(), std::vector<std::string>{"apple"});
    EXPECT_TRUE(window.LbSpeedButton_Back->isEnabled());

    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.CurrentWord(), "apple");
    EXPECT_EQ(View(window).VScrollPos(), 7);
    EXPECT_EQ(window.ForwardWords(), std::vector<std::string>{"fruit"});
    QTest::mouseClick(window.LbSpeedButton_Forward, Qt::LeftButton);
    EXPECT_EQ(window.CurrentWord(), "fruit");
    EXPECT_FALSE(window.LbSpeedButton_Forward->isEnabled());

    // A synonym without an entry changes nothing.
    window.GoBack();
    jumpTo("pome");
    EXPECT_EQ(window.CurrentWord(), "apple");
    EXPECT_EQ(window.ForwardWords(), std::vector<std::string>{"fruit"});
    EXPECT_EQ(asked, (std::vector<std::string>{"fruit", "apple", "fruit", "apple", "pome"}));
}

TEST_F(VocWindowTest, RendersAfterTheTimerFires) {
    EXPECT_TRUE(testing_app::WritePackage(folder_ / "voc.tmp", testing_app::AppleRecord()));
    display::TForm_Voc window(folder_ / "voc.tmp", {});
    window.show();
    EXPECT_EQ(window.Timer1->interval(), 200);
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_EQ(View(window).Document().ItemCount(), 0);
    QTest::qWait(350);
    EXPECT_GT(View(window).Document().ItemCount(), 10);
    EXPECT_EQ(window.Actions().size(), 4u);
}

TEST_F(VocWindowTest, SpeakerExtractsTheSoundAndOpensTheReader) {
    auto window = Open(testing_app::AppleRecord(), {{0x1F, "ID3-word"}, {0x2A, "ID3-example"}});
    window->RichText_VocJump(1);
    ASSERT_EQ(followAlong_.size(), 1u);
    EXPECT_EQ(followAlong_[0],
              Field("He ate an apple.", "TXT") + Field(platform::ScratchFile("out.mp3"), "FN"));
    EXPECT_EQ(testing_app::ReadBytes(platform::ScratchFile("out.mp3")), "ID3-example");
    // Synonyms build records but do nothing; a missing sound opens nothing.
    window->RichText_VocJump(2);
    window->RichText_VocJump(99);
    EXPECT_EQ(followAlong_.size(), 1u);
    std::filesystem::remove(platform::ScratchFile("out.mp3"));
    window->RichText_VocJump(0); // the word's own sound
    EXPECT_EQ(followAlong_.size(), 2u);
    window.reset();
    EXPECT_FALSE(std::filesystem::exists(platform::ScratchFile("out.mp3")));
    EXPECT_EQ(hidden_, 1);
}

// An entry package arrives from the network: a headword carrying tags must
// not turn the speaker into a reading of another file.
TEST_F(VocWindowTest, TagsInTheEntryCannotRedirectTheReader) {
    const std::string name = "x<Fn>/etc/passwd</Fn><Repeat>FFFFFFFF</Repeat>";
    auto window = Open(Field(Field(name, "Name") + Field("1F", "MP3"), "Voc"), {{0x1F, "ID3"}});
    window->RichText_VocJump(0);
    ASSERT_EQ(followAlong_.size(), 1u);
    const study::FollowRequest request = study::ParseFollowRecord(followAlong_[0]);
    EXPECT_EQ(request.FileName, platform::ScratchFile("out.mp3"));
    EXPECT_EQ(request.RepeatCount, 0);
    EXPECT_EQ(platform::GbkToUtf8(request.Text), "x＜Fn＞/etc/passwd＜/Fn＞＜Repeat＞FFFFFFFF＜/Repeat＞");
}

TEST_F(VocWindowTest, ClickOnTheSpeakerIconPlays) {
    auto window = Open(testing_app::AppleRecord(), {{0x1F, "ID3-word"}});
    auto& view = View(*window);
    const auto& document = view.Document();
    for (const auto& piece : document.Pieces()) {
        if (document.Items()[piece.ItemNo].Info.StyleNo != display::rvsImageJump)
            continue;
        QPoint at(piece.Left + piece.Width / 2,
                  piece.Top + piece.Height / 2 - view.VScrollPos() * document.ScrollStep());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        break;
    }
    ASSERT_EQ(followAlong_.size(), 1u);
    EXPECT_EQ(core::GetTagValue(followAlong_[0], "TXT"), "apple");
}

TEST_F(VocWindowTest, MissingSoundMemberOpensNothing) {
    auto window = Open(testing_app::AppleRecord());
    window->RichText_VocJump(0);
    EXPECT_TRUE(followAlong_.empty());
}

TEST_F(VocWindowTest, NonHexadecimalSoundShowsAnErrorAndStaysOpen) {
    auto window = Open(Field(Field("odd", "Name") + Field("XYZ", "MP3"), "Voc"));
    ASSERT_EQ(window->Actions().size(), 1u);
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    window->RichText_VocJump(0);
    EXPECT_EQ(title, widgets::ApplicationTitle());
    EXPECT_TRUE(text.contains(QStringLiteral("XYZ")));
    EXPECT_TRUE(followAlong_.empty());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(VocWindowTest, MemberNumbersAreOneToEightHexDigits) {
    EXPECT_EQ(display::TForm_Voc::ParseMemberNumber("1f"), 0x1Fu);
    EXPECT_EQ(display::TForm_Voc::ParseMemberNumber("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(display::TForm_Voc::ParseMemberNumber(""));
    EXPECT_FALSE(display::TForm_Voc::ParseMemberNumber("100000000"));
    EXPECT_FALSE(display::TForm_Voc::ParseMemberNumber("1 "));
    EXPECT_FALSE(display::TForm_Voc::ParseMemberNumber("-1"));
}

TEST_F(VocWindowTest, DoubleClickOnAWordOpensBaseInfo) {
    auto window = Open(testing_app::AppleRecord());
    auto& view = View(*window);
    const auto& document = view.Document();
    for (const auto& piece : document.Pieces()) {
        if (document.Items()[piece.ItemNo].Text != "fruit with red or green skin")
            continue;
        QPoint at(piece.Left + 3,
                  piece.Top + piece.Height / 2 - view.VScrollPos() * document.ScrollStep());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
        break;
    }
    EXPECT_EQ(baseInfo_, std::vector<std::string>{"fruit"});
}

TEST_F(VocWindowTest, ZoomChangesEveryStyleAndKeepsTheScrollPosition) {
    std::string examples;
    for (int i = 1; i <= 40; ++i)
        examples += Field(std::to_string(i), "XH") +
                    Field("sentence number " + std::to_string(i), "En") + Field("cn", "Cn") +
                    "\r\n";
    auto window = Open(Field(Field("long", "Name"), "Voc") + Field(examples, "Example"));
    auto& view = View(*window);
    view.SetVScrollPos(5);
    ASSERT_EQ(view.VScrollPos(), 5);
    window->ZoomStyles(1);
    EXPECT_EQ(window->Styles().TextStyles[0].Size, 13);
    EXPECT_EQ(view.VScrollPos(), 5);
    QTest::mouseClick(window->Frame_Voc1->LbSpeedButton_Shrink, Qt::LeftButton);
    EXPECT_EQ(window->Styles().TextStyles[0].Size, 12);
}

TEST_F(VocWindowTest, PackageWithoutRecordLeavesTheViewEmpty) {
    auto window = Open("");
    EXPECT_EQ(View(*window).Document().ItemCount(), 0);
    EXPECT_TRUE(window->Actions().empty());
}

} // namespace
