#include "app/TForm_Main.h"
#include "download/qt/TForm_SoftDownLoad.h"
#include "download/qt/TFrame_SoftDownLoad.h"
#include "tests/download/DownloadFixture.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

using download::test::DownloadTest;

// The "下载" button lists the packages that are not installed yet.
class DownloadButtonTest : public DownloadTest {
protected:
    // Clicks "下载" and reports the modal window or message box it opens.
    QString Click() {
        app::TForm_Main window;
        QString seen;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                seen = box->text();
            else if (auto* list = qobject_cast<download::TForm_SoftDownLoad*>(modal))
                seen = list->Frame_SoftDownLoad1->Label_Title->text() + QStringLiteral(" ") +
                       list->Frame_SoftDownLoad1->ListView1->topLevelItem(0)->text(0);
            if (modal)
                modal->close();
        });
        EXPECT_TRUE(window.LbSpeedButton_DL->isEnabled());
        QTest::mouseClick(window.LbSpeedButton_DL, Qt::LeftButton);
        return seen;
    }
};

TEST_F(DownloadButtonTest, OpensThePackageWindowWithThePackagesNotInstalled) {
    AddPackage(0x50, 100);
    AddPackage(0x51, 100);
    download::test::WriteFile(User("11/50.dat"), "installed");
    EXPECT_EQ(Click(), QStringLiteral("下载列表[1] 词汇数据包 51"));
}

TEST_F(DownloadButtonTest, SaysSoWhenTheListCannotBeHad) {
    SetServiceBase("http://127.0.0.1:1/qv/");
    EXPECT_EQ(Click(), QStringLiteral("取下载信息失败！请检稍后再试！"));
}

} // namespace
