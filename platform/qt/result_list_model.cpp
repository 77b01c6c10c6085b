#include "result_list_model.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "engine/huge_page_buffer.h"
#include "qt_text.h"

namespace wordloom::platform::qt {
namespace {

static_assert(sizeof(ResultListModel::Row) == 8);

std::u16string_view rowText(const ResultListModel::Row& row, const engine::Dictionary* dictionary,
                            const std::vector<std::u16string>& texts) {
    if ((row.ref & ResultListModel::TextRef) != 0) {
        return texts[row.ref & ~ResultListModel::TextRef];
    }
    return dictionary->words()[row.ref];
}

// A copy of the rows (positions and check marks) that reads the words from the dictionary it
// shares with the list, so taking it costs eight bytes per row and no text copies.
class ResultSnapshot final : public TableSnapshot {
public:
    ResultSnapshot(std::vector<std::u16string> headers,
                   std::shared_ptr<const engine::Dictionary> dictionary,
                   const engine::HugePageVector<ResultListModel::Row>& rows,
                   std::vector<std::u16string> texts)
        : m_headers(std::move(headers)),
          m_dictionary(std::move(dictionary)),
          m_rows(rows.begin(), rows.end()),
          m_texts(std::move(texts)) {
        m_wordRows.dictionary = m_dictionary;
        m_wordRows.rows = m_rows;
        m_wordRows.texts = m_texts;
    }

    int columnCount() const override { return static_cast<int>(m_headers.size()); }
    std::u16string_view header(int column) const override {
        return m_headers.at(static_cast<std::size_t>(column - 1));
    }
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    std::u16string_view cell(int row, int column) const override {
        const ResultListModel::Row& r = m_rows.at(static_cast<std::size_t>(row - 1));
        return column == 1 ? rowText(r, m_dictionary.get(), m_texts) : std::u16string_view();
    }
    bool isChecked(int row) const override {
        return m_rows.at(static_cast<std::size_t>(row - 1)).checked;
    }
    const WordRows* wordRows() const override {
        return m_headers.size() == 1 && m_dictionary ? &m_wordRows : nullptr;
    }

private:
    std::vector<std::u16string> m_headers;
    std::shared_ptr<const engine::Dictionary> m_dictionary;
    // Large pages: a copy of a million rows then faults in a few pages instead of thousands.
    engine::HugePageVector<ResultListModel::Row> m_rows;
    std::vector<std::u16string> m_texts;
    WordRows m_wordRows;
};

}  // namespace

ResultListModel::ResultListModel(QObject* parent) : ListModelBase(parent) {
    m_pendingCheck.setSingleShot(true);
    connect(&m_pendingCheck, &QTimer::timeout, this, &ResultListModel::announcePendingRows);
}

void ResultListModel::setDictionary(std::shared_ptr<const engine::Dictionary> dictionary) {
    // Rows already listed name words of the dictionary they were found in: they keep their
    // words as texts, so a later dictionary cannot change or invalidate them.
    for (Row& row : m_rows) {
        if ((row.ref & TextRef) == 0) {
            m_texts.emplace_back(m_dictionary->words()[row.ref]);
            row.ref = TextRef | static_cast<std::uint32_t>(m_texts.size() - 1);
        }
    }
    m_dictionary = std::move(dictionary);
}

void ResultListModel::appendWords(std::span<const std::uint32_t> wordPositions) {
    if (wordPositions.empty()) {
        return;
    }
    const std::size_t wordCount = m_dictionary ? m_dictionary->words().size() : 0;
    for (std::uint32_t position : wordPositions) {
        if (position >= wordCount || (position & TextRef) != 0) {
            throw std::out_of_range("Cannot list word " + std::to_string(position) +
                                    ": the loaded dictionary holds " + std::to_string(wordCount) +
                                    " words.");
        }
    }
    // No reserve of the exact new size here: the run appends one small batch per letter set,
    // and an exact reserve would copy all rows every time instead of growing geometrically.
    for (std::uint32_t position : wordPositions) {
        m_rows.push_back({position, false});
    }
    if (!hasPendingRows()) {
        return;  // past the rows the views learn of without asking
    }
    const auto sinceAnnounced =
        m_lastAnnounced ? Clock::now() - *m_lastAnnounced : Clock::duration::max();
    if (sinceAnnounced >= AnnounceInterval) {
        announcePendingRows();
        return;
    }
    if (!m_pendingCheck.isActive()) {
        m_pendingCheck.start(
            std::chrono::ceil<std::chrono::milliseconds>(AnnounceInterval - sinceAnnounced));
    }
}

void ResultListModel::announcePendingRows() {
    m_pendingCheck.stop();
    announceUpTo(std::min(size(), m_shownLimit));
}

void ResultListModel::announceUpTo(int rows) {
    // A slot that hears of an insertion may ask for more rows before the count has moved on:
    // nothing is announced twice.
    if (m_announcing || rows <= m_announcedRows) {
        return;
    }
    m_announcing = true;
    beginInsertRows(QModelIndex(), m_announcedRows, rows - 1);
    m_announcedRows = rows;
    endInsertRows();
    m_announcing = false;
    m_lastAnnounced = Clock::now();
}

void ResultListModel::appendText(std::u16string text) {
    announcePendingRows();
    const int row = size();
    const bool shown = row == m_announcedRows && row < m_shownLimit;
    if (shown) {
        beginInsertRows(QModelIndex(), row, row);
    }
    m_rows.push_back({TextRef | static_cast<std::uint32_t>(m_texts.size()), false});
    m_texts.push_back(std::move(text));
    if (shown) {
        m_announcedRows = size();
        endInsertRows();
    }
}

void ResultListModel::remove(int row) {
    announcePendingRows();
    if (row >= m_announcedRows) {
        m_rows.erase(m_rows.begin() + row);  // a row the views do not know of
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    --m_announcedRows;
    endRemoveRows();
    // The views keep knowing as many rows as before when more are waiting.
    announcePendingRows();
}

void ResultListModel::clear() {
    // A reset is one notification however many rows go, unlike removing a million rows.
    beginResetModel();
    m_pendingCheck.stop();
    m_rows = {};
    m_texts = {};
    m_announcedRows = 0;
    m_shownLimit = ShownBatch;
    m_lastAnnounced.reset();  // the next words show at once
    endResetModel();
}

std::u16string_view ResultListModel::text(int row) const {
    return rowText(m_rows.at(static_cast<std::size_t>(row)), m_dictionary.get(), m_texts);
}

std::shared_ptr<const TableSnapshot> ResultListModel::snapshot() const {
    return std::make_shared<ResultSnapshot>(headers(), m_dictionary, m_rows, m_texts);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_announcedRows;
}

void ResultListModel::showMoreRows() {
    if (m_announcing || !hasUnshownRows()) {
        return;
    }
    // Doubling what they know: the end of a million rows is five requests away, not twenty, and
    // the layouts on the way add up to about two of the whole list.
    const std::int64_t limit =
        std::int64_t{m_announcedRows} + std::max(ShownBatch, m_announcedRows);
    m_shownLimit = static_cast<int>(std::min<std::int64_t>(limit, INT_MAX));
    announcePendingRows();
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= m_announcedRows || column < 0 ||
        column >= std::max(1, headerCount())) {
        return {};
    }
    return createIndex(row, column);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_announcedRows) {
        return {};
    }
    const bool ownColumn = index.column() == 0;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return ownColumn ? toQString(text(index.row())) : QString();
        case Qt::CheckStateRole:
            if (!ownColumn) {
                return {};
            }
            return m_rows[static_cast<std::size_t>(index.row())].checked ? Qt::Checked
                                                                         : Qt::Unchecked;
        default:
            return commonData(role);
    }
}

bool ResultListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= m_announcedRows) {
        return false;
    }
    m_rows[static_cast<std::size_t>(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

}  // namespace wordloom::platform::qt
