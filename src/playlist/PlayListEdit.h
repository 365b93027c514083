#pragma once
// Changes to the play list that touch many entries at once.

#include <QByteArray>
#include <functional>
#include <vector>

namespace ostrivo {

class TListBox;

// Appends the entries at the end; the selection stays on its entry.
void AppendEntries(TListBox& list, std::vector<QByteArray> entries);

// Removes every entry that matches; the selection stays on its entry, or is gone when that
// entry is removed. Returns how many were removed.
int RemoveEntries(TListBox& list, const std::function<bool(const QByteArray&)>& match);

// Runs a change that keeps the entry count, then puts the list's scroll position back.
void KeepingScrollPosition(TListBox& list, const std::function<void()>& change);

}  // namespace ostrivo
