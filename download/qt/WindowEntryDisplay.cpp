#include "download/qt/WindowEntryDisplay.h"

#include "download/qt/TForm_DownLoad.h"
#include "platform/Gbk.h"
#include "widgets/Application.h"

#include <QMessageBox>

namespace download {

void WindowEntryDisplay::ShowMessage(const std::string& text) {
    QMessageBox::information(owner_, widgets::ApplicationTitle(),
                             QString::fromStdString(platform::GbkToUtf8(text)));
}

bool WindowEntryDisplay::RunFileDownload(const std::vector<std::string>& items) {
    return ShowDownLoad(items, owner_);
}

} // namespace download
