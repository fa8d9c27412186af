#pragma once

#include "core/WordFinder.h"

#include <QAbstractListModel>
#include <QFont>

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The result list's rows as a list model: GBK texts kept as they are and
// converted to Unicode only when the view asks for a row, so a list of a
// thousand items costs one conversion per visible row. Rows other than
// results look different: forms and suggestions in colour, hints and notes
// in grey italics; a note cannot be selected.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    // The view's font; hints, notes and commands are shown in its italics.
    void SetBaseFont(const QFont& font) { baseFont_ = font; }

    // Replaces every row; row i is item i.
    void SetRows(std::vector<core::ListRow> rows);
    // Rows of results only, one per text.
    void SetItems(const std::vector<std::string>& gbkItems);
    const std::vector<core::ListRow>& Rows() const { return rows_; }
    // The rows' texts (GBK).
    std::vector<std::string> Items() const;
    // Replaces every row by a result row of ListBoxItem of the result line of
    // the same index.
    void SetResultLines(const std::vector<std::string>& resultLines);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<core::ListRow> rows_;
    QFont baseFont_;
};

// The list box item of a search result line: core::ListItem, except that a
// headword of 30 bytes or more is cut to at most 29 bytes of whole characters,
// padded to 29 with blanks, and ended by "…" (one column in the list's
// monospace font), so every gloss starts in the same column.
std::string ListBoxItem(std::string_view resultLine);

} // namespace app
