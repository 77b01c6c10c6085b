#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "letter_set_store.h"
#include "list_model_base.h"

namespace wordloom::platform::qt {

// The letter sets of ListView1, one text per row, kept in the order they were added. A row
// shows at most the first 200 code units of a very long text and then "…"; the text itself is
// kept as it was added.
//
// A QTreeView keeps about 40 bytes for every row it knows of, more than a short letter set
// itself takes here. So the views learn of the rows in batches as they scroll to the end
// (Qt's fetchMore): a file of millions of lines costs them only the rows shown so far. size(),
// text() and snapshot() always cover every entry.
class LetterSetModel : public ListModelBase {
    Q_OBJECT
public:
    using ListModelBase::ListModelBase;

    int size() const { return static_cast<int>(m_store.size()); }
    std::u16string_view text(int row) const { return m_store.text(static_cast<std::size_t>(row)); }
    // The texts as they are now, sharing their storage with the list.
    std::shared_ptr<const TableSnapshot> snapshot() const { return m_store.snapshot(headers()); }

    void append(std::u16string_view text);
    void remove(int row);
    void clear();

    // How many rows the views learn of at once.
    static constexpr int ShownBatch = 50'000;
    int shownRows() const { return m_shownRows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    LetterSetStore m_store;
    int m_shownRows = 0;  // the first rows of the store, the ones the views know of
};

}  // namespace wordloom::platform::qt
