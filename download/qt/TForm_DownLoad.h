#pragma once

#include "download/TFileDL.h"

#include <QDialog>
#include <QPoint>

#include <array>
#include <string>
#include <vector>

class QLabel;
class QTimer;

namespace widgets {
class LbSpeedButton;
class TileImage;
} // namespace widgets

namespace download {

// The small modal window of a single-file download: two bars (the items and
// the current file), the bytes so far and a cancel button. Showing it starts
// its TFileDL; it closes by itself when the worker ends (done, failed or
// cancelled). Any other close (Esc, the window system) cancels and waits for
// the worker's end in the same way, so the window never goes while the worker
// may still report to it. The worker's reports arrive by queued calls on the
// window's thread.
class TForm_DownLoad : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 409;
    static constexpr int kHeight = 198;
    // The bars: panel width, and the part between the two caps.
    static constexpr int kBarWidth = 345;
    static constexpr int kCapWidth = 2;
    static constexpr int kBarUsable = kBarWidth - 2 * kCapWidth;

    explicit TForm_DownLoad(std::vector<std::string> items, QWidget* parent = nullptr);
    ~TForm_DownLoad() override;

    QLabel* Label_Title = nullptr;
    QLabel* Label_ProgressTitle = nullptr;
    QWidget* Panel_Progress = nullptr;
    std::array<QLabel*, 4> Image_Progress{}; // left cap, filled part, rest, right cap
    QLabel* Label_SubProgressTitle = nullptr;
    QWidget* Panel_SubProgress = nullptr;
    std::array<QLabel*, 4> Image_SubProgress{};
    QLabel* Label1 = nullptr;       // "已下载:"
    QLabel* Label_DLSize = nullptr; // "0 K"
    QLabel* Label_Time = nullptr;   // hidden
    widgets::LbSpeedButton* LbSpeedButton_Cancel = nullptr;
    widgets::TileImage* TileImage_MM = nullptr;
    QTimer* Timer1 = nullptr; // 1000 ms, elapsed time

    // True once the worker has ended; Succeeded() then tells whether every
    // item arrived.
    bool WorkerEnded() const { return ended_; }
    bool Succeeded() const { return succeeded_; }

    // The width of a bar's filled part for `position` of `total`.
    static int FilledWidth(int64_t position, int64_t total);

    // Every way of closing (Esc, the window system) ends here: while the
    // worker runs it cancels, and the window closes when the worker ends.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnProgress(uint8_t stage, const QString& caption, int64_t position, int64_t total);
    void OnEnded(bool succeeded);
    void Cancel();
    void Tick();
    static void SetBar(const std::array<QLabel*, 4>& images, int filled);

    std::vector<std::string> items_;
    bool started_ = false;
    bool stopped_ = false; // reports are ignored from now on
    bool ended_ = false;
    bool succeeded_ = false;
    int seconds_ = 0;
    QPoint dragOffset_;
    bool dragging_ = false;
    TFileDL worker_; // last member: joined before the widgets' owner goes
};

// Shows the window modally for `items` and returns once it has closed; true
// when every item arrived.
bool ShowDownLoad(const std::vector<std::string>& items, QWidget* parent = nullptr);

} // namespace download
