#pragma once
// An entry is one line of a play-list file: a name that holds a line feed or a carriage return
// would be read back as two bogus entries and the file lost from the list. Such a name never
// becomes an entry.

#include <QByteArray>
#include <cstddef>
#include <vector>

#include "framework/Exceptions.h"

namespace ostrivo {

// A path that cannot be a play-list entry.
class EInvalidEntry : public Exception {
 public:
  using Exception::Exception;
};

// True when the name holds a line feed or a carriage return.
bool HoldsLineBreak(const char* name, std::size_t length);
bool HoldsLineBreak(const QByteArray& name);

// Throws EInvalidEntry naming each of the paths, one a line; does nothing for none.
void RefuseLineBreaks(const std::vector<QByteArray>& paths);

}  // namespace ostrivo
