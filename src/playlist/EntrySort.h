#pragma once
// Sorting play-list entries in a collator's order, fast enough for lists of a million entries.

#include <QByteArray>
#include <vector>

class QCollator;

namespace ostrivo {

// Sorts the entries into ascending order of their displayed text under the collator; entries
// the collator finds equal keep their relative order.
void SortEntries(std::vector<QByteArray>& entries, const QCollator& collator);

}  // namespace ostrivo
