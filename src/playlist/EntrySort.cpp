#include "playlist/EntrySort.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "framework/Exceptions.h"

// The fast path. Most play lists are file paths drawn from a few dozen characters, and most
// collations order such strings one character at a time. So the distinct characters are ranked
// by the collator once, every entry becomes the string of its characters' ranks, and those
// rank strings are sorted as plain bytes. The result is then checked pair by pair with the
// collator itself; when a collation does not work character by character for this list
// (contractions, accents weighed after the letters, ignorable characters), the check fails and
// the list is sorted again the slow way, by the collator's own keys.

namespace ostrivo {

namespace {

bool IsAscii(const QByteArray& s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Calls f for each code point of the decoded text.
template <class F>
void ForEachCodePoint(const QString& text, F&& f) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      f(QChar::surrogateToUcs4(c, text[i + 1]));
      ++i;
    } else {
      f(static_cast<char32_t>(c.unicode()));
    }
  }
}

QString CodePointText(char32_t c) {
  return QString::fromUcs4(&c, 1);
}

class RankSort {
 public:
  RankSort(const std::vector<QByteArray>& entries, const QCollator& collator)
      : entries_(entries), collator_(collator) {}

  // The sorted order as indices, or false when the fast path does not apply.
  bool Run(std::vector<uint32_t>& order) {
    if (!RankCharacters()) return false;
    BuildKeys();
    SortKeys(order);
    return Verify(order);
  }

 private:
  bool RankCharacters() {
    const size_t n = entries_.size();
    ascii_.resize(n);
    bool seenAscii[128] = {};
    std::unordered_map<char32_t, uint32_t> others;
    for (size_t i = 0; i < n; ++i) {
      const QByteArray& e = entries_[i];
      ascii_[i] = IsAscii(e);
      if (ascii_[i]) {
        for (const char c : e) seenAscii[static_cast<unsigned char>(c)] = true;
      } else {
        ForEachCodePoint(DisplayText(e), [&](char32_t c) {
          if (c < 128)
            seenAscii[c] = true;
          else
            others.emplace(c, 0);
        });
      }
    }
    std::vector<char32_t> chars;
    for (char32_t c = 0; c < 128; ++c)
      if (seenAscii[c]) chars.push_back(c);
    for (const auto& [c, rank] : others) chars.push_back(c);
    std::vector<QString> texts;
    texts.reserve(chars.size());
    for (const char32_t c : chars) texts.push_back(CodePointText(c));
    std::vector<uint32_t> byText(chars.size());
    for (uint32_t i = 0; i < byText.size(); ++i) byText[i] = i;
    std::stable_sort(byText.begin(), byText.end(), [&](uint32_t a, uint32_t b) {
      return collator_.compare(texts[a], texts[b]) < 0;
    });
    // Characters the collator finds equal (a letter and its capital) share a rank.
    uint32_t rank = 0;
    for (size_t k = 0; k < byText.size(); ++k) {
      if (k > 0 && collator_.compare(texts[byText[k - 1]], texts[byText[k]]) != 0) ++rank;
      const char32_t c = chars[byText[k]];
      if (c < 128)
        asciiRank_[c] = rank;
      else
        others[c] = rank;
    }
    otherRank_ = std::move(others);
    // Each rank becomes one or two key bytes, none of them 0 (0 marks the end of a key).
    if (rank < 255) {
      width_ = 1;
    } else if (rank < 255 * 255) {
      width_ = 2;
    } else {
      return false;
    }
    return true;
  }

  void BuildKeys() {
    const size_t n = entries_.size();
    offset_.resize(n + 1);
    size_t total = 0;
    for (size_t i = 0; i < n; ++i) {
      offset_[i] = total;
      total += static_cast<size_t>(entries_[i].size()) * width_;
    }
    offset_[n] = total;
    arena_.reset(new uint8_t[total]);
    uint8_t asciiKey[128][2];
    for (int c = 0; c < 128; ++c) RankBytes(asciiRank_[c], asciiKey[c]);
    for (size_t i = 0; i < n; ++i) {
      const QByteArray& e = entries_[i];
      uint8_t* out = arena_.get() + offset_[i];
      if (ascii_[i] && width_ == 1) {
        for (const char c : e) *out++ = asciiKey[static_cast<unsigned char>(c)][0];
      } else if (ascii_[i]) {
        for (const char c : e) {
          *out++ = asciiKey[static_cast<unsigned char>(c)][0];
          *out++ = asciiKey[static_cast<unsigned char>(c)][1];
        }
      } else {
        ForEachCodePoint(DisplayText(e), [&](char32_t c) {
          uint8_t bytes[2];
          RankBytes(c < 128 ? asciiRank_[c] : otherRank_.at(c), bytes);
          for (int k = 0; k < width_; ++k) *out++ = bytes[k];
        });
        // Such an entry has fewer characters than bytes: the rest of its room reads as the
        // end of the key.
        std::fill(out, arena_.get() + offset_[i + 1], uint8_t{0});
      }
    }
  }

  // A rank as one or two key bytes, none of them 0 (0 marks the end of a key).
  void RankBytes(uint32_t rank, uint8_t* bytes) const {
    if (width_ == 1) {
      bytes[0] = static_cast<uint8_t>(rank + 1);
      bytes[1] = 0;
    } else {
      bytes[0] = static_cast<uint8_t>(rank / 255 + 1);
      bytes[1] = static_cast<uint8_t>(rank % 255 + 1);
    }
  }

  // Eight key bytes from depth on, big-endian, padded with 0 after the key's end.
  uint64_t Chunk(uint32_t i, size_t depth) const {
    const uint8_t* p = arena_.get() + offset_[i] + depth;
    const uint8_t* end = arena_.get() + offset_[i + 1];
    uint64_t chunk = 0;
    for (int k = 0; k < 8; ++k) {
      chunk <<= 8;
      if (p + k < end) chunk |= p[k];
    }
    return chunk;
  }

  // Compares two keys from depth on; the shorter key first when one is a prefix of the other.
  bool KeyLess(uint32_t a, uint32_t b, size_t depth) const {
    const uint8_t* pa = arena_.get() + offset_[a] + depth;
    const uint8_t* ea = arena_.get() + offset_[a + 1];
    const uint8_t* pb = arena_.get() + offset_[b] + depth;
    const uint8_t* eb = arena_.get() + offset_[b + 1];
    for (; pa < ea && pb < eb; ++pa, ++pb) {
      if (*pa != *pb) return *pa < *pb;
      if (*pa == 0) return a < b;  // both keys ended early
    }
    const int ca = pa < ea ? *pa : 0;
    const int cb = pb < eb ? *pb : 0;
    return ca != cb ? ca < cb : a < b;
  }

  struct Cell {
    uint64_t chunk;
    uint32_t index;
  };

  // Stable sort of cells by chunk, eight bits at a time from the lowest; passes whose byte is
  // the same in every cell are skipped.
  static void RadixSortCells(Cell* cells, size_t count, std::vector<Cell>& buffer) {
    size_t histogram[8][256] = {};
    for (size_t k = 0; k < count; ++k)
      for (int pass = 0; pass < 8; ++pass) ++histogram[pass][(cells[k].chunk >> (8 * pass)) & 0xff];
    buffer.resize(std::max(buffer.size(), count));
    Cell* from = cells;
    Cell* to = buffer.data();
    for (int pass = 0; pass < 8; ++pass) {
      size_t* h = histogram[pass];
      if (h[(from[0].chunk >> (8 * pass)) & 0xff] == count) continue;
      size_t sum = 0;
      for (int b = 0; b < 256; ++b) {
        const size_t c = h[b];
        h[b] = sum;
        sum += c;
      }
      for (size_t k = 0; k < count; ++k) to[h[(from[k].chunk >> (8 * pass)) & 0xff]++] = from[k];
      std::swap(from, to);
    }
    if (from != cells) std::copy(from, from + count, cells);
  }

  // Radix sort over eight-byte chunks: sort a range by its chunk at depth, keeping the order of
  // equal chunks, then go eight bytes deeper in each group that shares a chunk and has not
  // ended. Small groups are finished by comparing whole keys, which stay in the cache.
  void SortKeys(std::vector<uint32_t>& order) {
    const size_t n = entries_.size();
    order.resize(n);
    for (uint32_t i = 0; i < n; ++i) order[i] = i;
    struct Range {
      size_t lo, hi, depth;
    };
    constexpr size_t kSmall = 256;
    std::vector<Cell> cells(n);
    std::vector<Cell> buffer;
    std::vector<Range> work{{0, n, 0}};
    while (!work.empty()) {
      const Range r = work.back();
      work.pop_back();
      if (r.hi - r.lo <= kSmall) {
        std::sort(order.begin() + r.lo, order.begin() + r.hi,
                  [&](uint32_t a, uint32_t b) { return KeyLess(a, b, r.depth); });
        continue;
      }
      Cell* range = cells.data() + r.lo;
      const size_t count = r.hi - r.lo;
      for (size_t k = 0; k < count; ++k) {
        if (k + 8 < count)
          __builtin_prefetch(arena_.get() + offset_[order[r.lo + k + 8]] + r.depth);
        range[k] = {Chunk(order[r.lo + k], r.depth), order[r.lo + k]};
      }
      RadixSortCells(range, count, buffer);
      for (size_t k = 0; k < count; ++k) order[r.lo + k] = range[k].index;
      for (size_t g = 0; g < count;) {
        size_t h = g + 1;
        while (h < count && range[h].chunk == range[g].chunk) ++h;
        if (h - g > 1 && (range[g].chunk & 0xff) != 0)
          work.push_back({r.lo + g, r.lo + h, r.depth + 8});
        g = h;
      }
    }
  }

  // Widens an ASCII entry into a reused buffer, or decodes any other.
  void Text(uint32_t i, QString& buffer) const {
    const QByteArray& e = entries_[i];
    if (!ascii_[i]) {
      buffer = DisplayText(e);
      return;
    }
    buffer.resize(e.size());
    QChar* out = buffer.data();
    for (const char c : e) *out++ = QLatin1Char(c);
  }

  // A list is in order when each neighbouring pair is.
  bool Verify(const std::vector<uint32_t>& order) const {
    if (order.empty()) return true;
    QString previous;
    QString current;
    Text(order[0], previous);
    for (size_t k = 1; k < order.size(); ++k) {
      // The entries are visited in sorted order, all over memory: fetch ahead.
      if (k + 16 < order.size()) __builtin_prefetch(&entries_[order[k + 16]]);
      if (k + 8 < order.size()) __builtin_prefetch(entries_[order[k + 8]].constData());
      Text(order[k], current);
      if (collator_.compare(QStringView(previous), QStringView(current)) > 0) return false;
      std::swap(previous, current);
    }
    return true;
  }

  const std::vector<QByteArray>& entries_;
  const QCollator& collator_;
  std::vector<bool> ascii_;
  uint32_t asciiRank_[128] = {};
  std::unordered_map<char32_t, uint32_t> otherRank_;
  int width_ = 1;
  std::unique_ptr<uint8_t[]> arena_;  // the keys, one after another
  std::vector<size_t> offset_;
};

// The slow path: the collator's own comparison of every pair the sort needs.
void CollatorSort(const std::vector<QByteArray>& entries, const QCollator& collator,
                  std::vector<uint32_t>& order) {
  const size_t n = entries.size();
  std::vector<QString> texts;
  texts.reserve(n);
  for (const QByteArray& e : entries) texts.push_back(DisplayText(e));
  order.resize(n);
  for (uint32_t i = 0; i < n; ++i) order[i] = i;
  if (collator.locale().language() == QLocale::C) {
    // The C locale's keys ignore the case setting; its comparison does not.
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      return collator.compare(texts[a], texts[b]) < 0;
    });
    return;
  }
  std::vector<QCollatorSortKey> keys;
  keys.reserve(n);
  for (const QString& t : texts) keys.push_back(collator.sortKey(t));
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t a, uint32_t b) { return keys[a].compare(keys[b]) < 0; });
}

}  // namespace

void SortEntries(std::vector<QByteArray>& entries, const QCollator& collator) {
  if (entries.size() < 2) return;
  std::vector<uint32_t> order;
  if (!RankSort(entries, collator).Run(order)) CollatorSort(entries, collator, order);
  std::vector<QByteArray> sorted;
  sorted.reserve(entries.size());
  for (size_t k = 0; k < order.size(); ++k) {
    if (k + 16 < order.size()) __builtin_prefetch(&entries[order[k + 16]]);
    sorted.push_back(std::move(entries[order[k]]));
  }
  entries = std::move(sorted);
}

}  // namespace ostrivo
