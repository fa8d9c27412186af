#pragma once

#include <QAbstractListModel>

#include <string>
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
    const std::vector<std::string>& Items() const { return items_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<std::string> items_;
};

} // namespace app
