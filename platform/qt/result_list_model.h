#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "list_model_base.h"
#include "platform/table_snapshot.h"

namespace wordloom::platform::qt {

// The results of ListView2. A row names a word of the shared, read-only dictionary by its
// position and carries the user's check mark: eight bytes per row, so a run can list millions of
// words. Rows added by text (rare) keep their texts aside and refer to them instead.
class ResultListModel : public ListModelBase {
    Q_OBJECT
public:
    struct Row {
        std::uint32_t ref;  // a word position, or TextRef | index into the kept texts
        bool checked;
    };
    static constexpr std::uint32_t TextRef = 0x80000000u;

    using ListModelBase::ListModelBase;

    void setDictionary(std::shared_ptr<const engine::Dictionary> dictionary);
    // One unticked row per position, in one insertion; throws std::out_of_range, adding nothing,
    // when a position names no word of the dictionary.
    void appendWords(std::span<const std::uint32_t> wordPositions);
    void appendText(std::u16string text);
    void remove(int row);
    void clear();

    int size() const { return static_cast<int>(m_rows.size()); }
    std::u16string_view text(int row) const;
    bool isChecked(int row) const { return m_rows.at(static_cast<std::size_t>(row)).checked; }
    std::shared_ptr<const TableSnapshot> snapshot() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::shared_ptr<const engine::Dictionary> m_dictionary;
    std::vector<Row> m_rows;
    std::vector<std::u16string> m_texts;
};

}  // namespace wordloom::platform::qt
