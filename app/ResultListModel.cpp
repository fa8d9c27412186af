#include "app/ResultListModel.h"

#include "core/TaggedText.h"
#include "core/WordIndex.h"
#include "platform/Gbk.h"

#include <QBrush>
#include <QColor>

namespace app {

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::SetRows(std::vector<core::ListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ResultListModel::SetResultLines(const std::vector<std::string>& resultLines) {
    std::vector<std::string> items;
    items.reserve(resultLines.size());
    for (const std::string& line : resultLines)
        items.push_back(ListBoxItem(line));
    SetItems(std::move(items));
}

void ResultListModel::SetItems(const std::vector<std::string>& gbkItems) {
    std::vector<core::ListRow> rows;
    rows.reserve(gbkItems.size());
    for (const std::string& item : gbkItems)
        rows.push_back({core::RowKind::Result, {}, item});
    SetRows(std::move(rows));
}

std::vector<std::string> ResultListModel::Items() const {
    std::vector<std::string> items;
    items.reserve(rows_.size());
    for (const core::ListRow& row : rows_)
        items.push_back(row.Text);
    return items;
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<size_t>(index.row()) >= rows_.size())
        return {};
    const core::ListRow& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(platform::GbkToUtf8(row.Text));
    case Qt::ForegroundRole:
        switch (row.Kind) {
        case core::RowKind::Form:
            return QBrush(QColor(0x00, 0x70, 0x50)); // dark teal
        case core::RowKind::Suggestion:
            return QBrush(QColor(0x1F, 0x4E, 0x99)); // dark blue
        case core::RowKind::FilterHint:
        case core::RowKind::Note:
        case core::RowKind::Command:
            return QBrush(QColor(0x70, 0x70, 0x70));
        case core::RowKind::Result:
        case core::RowKind::History:
            break;
        }
        return {};
    case Qt::FontRole:
        if (row.Kind == core::RowKind::FilterHint || row.Kind == core::RowKind::Note ||
            row.Kind == core::RowKind::Command) {
            QFont font = baseFont_;
            font.setItalic(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= rows_.size())
        return Qt::NoItemFlags;
    // A note is a heading: the selection steps over it.
    if (rows_[static_cast<size_t>(index.row())].Kind == core::RowKind::Note)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

std::string ListBoxItem(std::string_view resultLine) {
    constexpr std::size_t kColumn = 30;
    constexpr std::string_view kEllipsis = "\xA1\xAD"; // GBK "…"
    const std::string headword = core::GetTagValue(resultLine, "En");
    if (headword.size() < kColumn)
        return core::ListItem(resultLine);
    const std::size_t keep = kColumn - 1; // the list font draws "…" one column wide
    std::string item = headword.substr(0, platform::GbkCharStart(headword, keep));
    item.append(keep - item.size(), ' ');
    item.append(kEllipsis).append(" ").append(core::GetTagValue(resultLine, "Cn"));
    return item;
}

} // namespace app
