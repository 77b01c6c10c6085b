#include "list_model_base.h"

#include <algorithm>

#include "qt_text.h"

namespace wordloom::platform::qt {

void ListModelBase::addHeader(std::u16string text) {
    if (m_headers.empty()) {
        m_headers.push_back(std::move(text));
        emit headerDataChanged(Qt::Horizontal, 0, 0);
        return;
    }
    const int column = headerCount();
    beginInsertColumns(QModelIndex(), column, column);
    m_headers.push_back(std::move(text));
    endInsertColumns();
}

int ListModelBase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(1, headerCount());
}

QVariant ListModelBase::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    return section < headerCount() ? toQString(m_headers[static_cast<std::size_t>(section)])
                                   : QString();
}

QVariant ListModelBase::commonData(int role) const {
    if (role == Qt::ToolTipRole && !m_toolTip.isEmpty()) {
        return m_toolTip;
    }
    return {};
}

}  // namespace wordloom::platform::qt
