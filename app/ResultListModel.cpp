#include "app/ResultListModel.h"

#include "platform/Gbk.h"

namespace app {

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::SetItems(std::vector<std::string> gbkItems) {
    beginResetModel();
    items_ = std::move(gbkItems);
    endResetModel();
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

} // namespace app
