#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <vector>

namespace wordloom::platform::qt {

// What both list models share: the column headers and the list's tool tip. The view always has
// at least one column, so rows added before the first header still show; the first header then
// names that column instead of adding a second one.
class ListModelBase : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int headerCount() const { return static_cast<int>(m_headers.size()); }
    const std::vector<std::u16string>& headers() const { return m_headers; }
    void addHeader(std::u16string text);
    void setToolTip(QString toolTip) { m_toolTip = std::move(toolTip); }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    // The roles every cell answers the same way; invalid for the others.
    QVariant commonData(int role) const;

private:
    std::vector<std::u16string> m_headers;
    QString m_toolTip;
};

}  // namespace wordloom::platform::qt
