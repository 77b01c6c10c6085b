#pragma once

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "list_model_base.h"
#include "platform/table_snapshot.h"

namespace wordloom::platform::qt {

// The results of ListView2. A row names a word of the shared, read-only dictionary by its
// position and carries the user's check mark: eight bytes per row, so a run can list millions of
// words. Rows added by text (rare) keep their texts aside and refer to them instead.
//
// Every insertion the views hear of makes a QTreeView lay out all its rows again, and the view
// keeps about 40 bytes for every row it knows of. So the views learn of the rows in two ways:
// - A run appends each letter set's words separately and lets the window process events in
//   between, so the views are told of appended words at most once per AnnounceInterval: rows
//   appended sooner are announced by a timer when the interval is over.
// - They are told of at most ShownBatch rows that way; rows past that are announced in batches
//   as a view scrolls to the end of what it knows (showMoreRows), so a run of a million rows
//   costs the views the layout of the rows shown so far, not of every row at once.
// Rows not yet announced are in the list all the same: size(), text(), isChecked() and
// snapshot() always cover every row; rowCount() only the announced ones.
class ResultListModel : public ListModelBase {
    Q_OBJECT
public:
    using Row = WordRows::Row;  // a word position, or TextRef | index into the kept texts
    static constexpr std::uint32_t TextRef = WordRows::TextRef;
    static constexpr std::chrono::milliseconds AnnounceInterval{250};
    // How many rows the views learn of without asking, and at least each time they ask for more.
    static constexpr int ShownBatch = 50'000;

    explicit ResultListModel(QObject* parent = nullptr);

    void setDictionary(std::shared_ptr<const engine::Dictionary> dictionary);
    // One unticked row per position; throws std::out_of_range, adding nothing, when a position
    // names no word of the dictionary. The views hear of the rows at once when they last heard
    // of new rows at least AnnounceInterval ago, otherwise when the interval is over.
    void appendWords(std::span<const std::uint32_t> wordPositions);
    // Tells the views now of the rows appended but not yet announced, as far as they are to learn
    // of rows without asking for more.
    void announcePendingRows();
    // Rows appended that the views will learn of when the interval is over (the timer runs).
    bool hasPendingRows() const { return m_announcedRows < std::min(size(), m_shownLimit); }
    // The views know of every row they learn of without asking, and more are in the list.
    bool hasUnshownRows() const {
        return m_announcedRows >= m_shownLimit && m_announcedRows < size();
    }
    // A view reached the end of the rows it knows: the views learn of as many more as they knew,
    // at least ShownBatch, now.
    // Not Qt's fetchMore: a QTreeView also fetches at the start of every layout, and a run makes
    // it lay out its rows after each announcement, so it would learn of another batch each time.
    void showMoreRows();
    void appendText(std::u16string text);
    void remove(int row);
    void clear();

    int size() const { return static_cast<int>(m_rows.size()); }
    std::u16string_view text(int row) const;
    bool isChecked(int row) const { return m_rows.at(static_cast<std::size_t>(row)).checked; }
    std::shared_ptr<const TableSnapshot> snapshot() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The views ask for an index per row whenever they lay out every row; this answers without
    // the two virtual count calls of the table model's own check.
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    using Clock = std::chrono::steady_clock;

    // Tells the views of the rows up to `rows` that they do not know of yet.
    void announceUpTo(int rows);

    std::shared_ptr<const engine::Dictionary> m_dictionary;
    // Large pages: a million rows grow in a few page faults instead of thousands, and the
    // blocks of a cleared list are kept for the next run.
    engine::HugePageVector<Row> m_rows;
    std::vector<std::u16string> m_texts;
    int m_announcedRows = 0;  // the rows the views know of: the first ones of m_rows
    // The views learn of rows up to here without asking; showMoreRows moves it on.
    int m_shownLimit = ShownBatch;
    bool m_announcing = false;  // between the start and the end of an insertion
    std::optional<Clock::time_point> m_lastAnnounced;
    QTimer m_pendingCheck;  // single shot: announces waiting rows when the interval is over
};

}  // namespace wordloom::platform::qt
