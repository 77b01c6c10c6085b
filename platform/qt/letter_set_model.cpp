#include "letter_set_model.h"

#include <algorithm>

#include "platform/display_text.h"
#include "qt_text.h"

namespace wordloom::platform::qt {

void LetterSetModel::append(std::u16string_view text) {
    const int row = size();
    if (row != m_shownRows || row >= ShownBatch) {
        m_store.append(text);  // the views hear of it when they fetch more rows
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    m_store.append(text);
    m_shownRows = row + 1;
    endInsertRows();
}

void LetterSetModel::remove(int row) {
    if (row >= m_shownRows) {
        m_store.remove(static_cast<std::size_t>(row));
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_store.remove(static_cast<std::size_t>(row));
    --m_shownRows;
    endRemoveRows();
}

void LetterSetModel::clear() {
    beginResetModel();
    m_store.clear();
    m_shownRows = 0;
    endResetModel();
}

int LetterSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

bool LetterSetModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_shownRows < size();
}

void LetterSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    const int last = std::min(size(), m_shownRows + ShownBatch) - 1;
    beginInsertRows(QModelIndex(), m_shownRows, last);
    m_shownRows = last + 1;
    endInsertRows();
}

QVariant LetterSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shownRows) {
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
