// The pieces of a search in output order, for the found order and best first.

#include <algorithm>
#include <functional>

#include "engine/phrases/phrase_search_core.h"

namespace wordloom::engine::phrase_detail {
namespace {

constexpr std::size_t kFirstClassesPerPiece = 16;

}  // namespace

PieceOrder::PieceOrder(const Plan& plan) : m_plan(plan), m_sets(plan) {
    if (plan.order != PhraseOrder::BestFirst || plan.classes.empty()) {
        return;
    }
    for (const PlanClass& cls : plan.classes) {
        m_classLengths |= PhraseLengths{1} << (cls.length - 1);
    }
    m_shortest = plan.classes.back().length;
    m_mostWords = std::min<std::uint32_t>(
        plan.wordsLeft, static_cast<std::uint32_t>(plan.letterCount / m_shortest));
    m_words = plan.fewestWords;
    m_length = plan.classes.front().length + 1;  // the first round starts one below
}

bool PieceOrder::next(SearchPiece& piece) {
    while (m_at == m_end) {
        if (!nextRoot()) {
            return false;
        }
    }
    piece.root = m_root;
    if (m_plan.order == PhraseOrder::Found) {
        piece.position = m_root->branches[m_at];
        piece.count = 1;
        piece.exactWords = 0;
        ++m_at;
    } else {
        // The first classes of a round, a few to a piece: most hold few anagrams, and a piece
        // costs the parallel search a hand-over between threads.
        piece.position = static_cast<std::uint32_t>(m_at);
        piece.count = static_cast<std::uint32_t>(std::min(m_end - m_at, kFirstClassesPerPiece));
        piece.exactWords = m_words;
        m_at += piece.count;
    }
    return true;
}

// Moves to the next root that may hold pieces; false when there is none.
bool PieceOrder::nextRoot() {
    m_at = m_end = 0;
    if (m_plan.order == PhraseOrder::Found) {
        if (!m_sets.next()) {
            return false;
        }
        m_root = buildRoot(m_plan, m_sets.current());
        m_end = m_root ? m_root->branches.size() : 0;
        return true;
    }
    if (!m_roundOpen || !m_sets.next()) {
        if (!nextRound()) {
            return false;
        }
        m_roundOpen = true;
        m_sets.restart();
        return true;  // the caller comes back for the round's first set of blank letters
    }
    if (m_plan.blanks == 0) {
        // One root serves every round.
        if (!m_blankFreeBuilt) {
            m_blankFreeRoot = buildRoot(m_plan, m_sets.current());
            m_blankFreeBuilt = true;
        }
        m_root = m_blankFreeRoot;
    } else {
        m_root = buildRoot(m_plan, m_sets.current());
    }
    if (m_root) {
        // The list runs longest first: the classes of this round's length stand together.
        const auto& lengths = m_root->lengthOf;
        const auto range = std::equal_range(lengths.begin(), lengths.end(),
                                            static_cast<std::uint16_t>(m_length), std::greater<>());
        m_at = static_cast<std::size_t>(range.first - lengths.begin());
        m_end = static_cast<std::size_t>(range.second - lengths.begin());
    }
    return true;
}

// The next round (fewer words first, then the longer first word) whose words can hold the
// phrase's letters by their lengths alone; false after the last.
bool PieceOrder::nextRound() {
    const auto letters = static_cast<std::uint64_t>(m_plan.letterCount);
    while (true) {
        if (--m_length < m_shortest) {
            ++m_words;
            m_length = m_plan.classes.empty() ? 0 : m_plan.classes.front().length;
        }
        if (m_words > m_mostWords || m_length < 1) {
            return false;
        }
        const auto length = static_cast<std::uint64_t>(m_length);
        const bool present = ((m_classLengths >> (m_length - 1)) & 1u) != 0;
        if (present && std::uint64_t{m_words} * length >= letters &&
            std::uint64_t{m_words - 1} * static_cast<std::uint64_t>(m_shortest) + length <=
                letters) {
            return true;
        }
    }
}

}  // namespace wordloom::engine::phrase_detail
