#pragma once

#include <QAbstractListModel>

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The result list's items as a list model: GBK strings kept as they are and
// converted to Unicode only when the view asks for a row, so a list of a
// thousand items costs one conversion per visible row.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    // Replaces every item; item i is row i.
    void SetItems(std::vector<std::string> gbkItems);
    // Replaces every item by ListBoxItem of the result line of the same index.
    void SetResultLines(const std::vector<std::string>& resultLines);
    const std::vector<std::string>& Items() const { return items_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<std::string> items_;
};

// The list box item of a search result line: core::ListItem, except that a
// headword of 30 bytes or more is cut to at most 29 bytes of whole characters,
// padded to 29 with blanks, and ended by "…" (one column in the list's
// monospace font), so every gloss starts in the same column.
std::string ListBoxItem(std::string_view resultLine);

} // namespace app
