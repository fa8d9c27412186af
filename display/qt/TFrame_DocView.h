#pragma once

#include "display/Picture.h"
#include "display/TTextStyleTable.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace widgets {
class HoverLabel;
}

namespace display {

class TRichTextView;

// A panel that shows a document written in the line markup of
// display/DocumentMarkup.h: a title strip (Panel_Title with Label_Title,
// "标题" in navy bold, blue under the mouse) over the view RichText1 (margins
// 10, tiled background, scroll bar, selection). Jump styles show as links
// without actions.
class TFrame_DocView : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_DocView(QWidget* parent = nullptr);

    // Clears RichText1, renders the lines (GBK) in order, formats and
    // repaints it.
    void ShowDocument(const std::vector<std::string>& lines);

    QWidget* Panel_Title = nullptr;
    widgets::HoverLabel* Label_Title = nullptr;
    TRichTextView* RichText1 = nullptr;
    // The eight document styles; shared with RichText1.
    std::shared_ptr<TTextStyleTable> StyleTable1;

private:
    PicturePtr background_; // RichText1's background, for the spacers
};

} // namespace display
