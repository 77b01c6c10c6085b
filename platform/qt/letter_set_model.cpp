#include "letter_set_model.h"

#include "platform/display_text.h"
#include "qt_text.h"

namespace wordloom::platform::qt {

void LetterSetModel::append(std::u16string_view text) {
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_store.append(text);
    endInsertRows();
}

void LetterSetModel::remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_store.remove(static_cast<std::size_t>(row));
    endRemoveRows();
}

void LetterSetModel::clear() {
    beginResetModel();
    m_store.clear();
    endResetModel();
}

int LetterSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant LetterSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        // Letter sets have no sub-items: further columns stay empty.
        return index.column() == 0 ? toQString(displayForm(text(index.row()))) : QString();
    }
    return commonData(role);
}

Qt::ItemFlags LetterSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace wordloom::platform::qt
