#pragma once

#include <string>
#include <vector>

#include "list_model_base.h"

namespace wordloom::platform::qt {

// The letter sets of ListView1, one text per row, kept in the order they were added.
class LetterSetModel : public ListModelBase {
    Q_OBJECT
public:
    using ListModelBase::ListModelBase;

    int size() const { return static_cast<int>(m_texts.size()); }
    const std::u16string& text(int row) const { return m_texts.at(static_cast<std::size_t>(row)); }
    const std::vector<std::u16string>& texts() const { return m_texts; }

    void append(std::u16string text);
    void remove(int row);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<std::u16string> m_texts;
};

}  // namespace wordloom::platform::qt
