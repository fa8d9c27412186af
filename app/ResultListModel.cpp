#include "app/ResultListModel.h"

#include "core/TaggedText.h"
#include "core/WordIndex.h"
#include "platform/Gbk.h"

namespace app {

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::SetItems(std::vector<std::string> gbkItems) {
    beginResetModel();
    items_ = std::move(gbkItems);
    endResetModel();
}

void ResultListModel::SetResultLines(const std::vector<std::string>& resultLines) {
    std::vector<std::string> items;
    items.reserve(resultLines.size());
    for (const std::string& line : resultLines)
        items.push_back(ListBoxItem(line));
    SetItems(std::move(items));
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 ||
        static_cast<size_t>(index.row()) >= items_.size())
        return {};
    return QString::fromStdString(platform::GbkToUtf8(items_[static_cast<size_t>(index.row())]));
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
