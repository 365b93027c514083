#include "playlist/ForeignPlayLists.h"

#include <QFile>
#include <QStringDecoder>
#include <QSysInfo>
#include <algorithm>
#include <map>

#include "playlist/PlayListFormat.h"

namespace ostrivo {

namespace {

bool EndsWith(const QString& path, QLatin1StringView ending) {
  return path.endsWith(ending, Qt::CaseInsensitive);
}

// Many editors put a UTF-8 byte-order mark before the first line; it is not part of a name.
QByteArray WithoutBom(const QByteArray& bytes) {
  return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

bool IsBlank(const QByteArray& line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool IsSchemeChar(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

// "scheme://...": a URI, not a relative name. One letter is no scheme: "C://" is a name.
bool HasScheme(const QByteArray& line) {
  const qsizetype colon = line.indexOf("://");
  if (colon < 2) return false;
  for (qsizetype i = 0; i < colon; ++i)
    if (!IsSchemeChar(line[i], i == 0)) return false;
  return true;
}

bool IsThisHost(const QByteArray& host) {
  return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0 ||
         QString::fromLatin1(host).compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

// An M3U8 line as a file name: the UTF-8 text in the file system's encoding.
QByteArray FileNameOfUtf8(const QByteArray& line) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(line);
  return decoder.hasError() ? line : QFile::encodeName(text);
}

QByteArray EntryFor(const QByteArray& line, const QByteArray& folder) {
  if (std::optional<QByteArray> local = LocalPathOfFileUri(line)) return *local;
  if (line.startsWith('/') || HasScheme(line)) return line;
  QByteArray relative = line;
  while (relative.startsWith("./")) relative.remove(0, 2);
  return folder.endsWith('/') ? folder + relative : folder + '/' + relative;
}

// The digits of a "FileN" key without leading zeros, or nothing for any other key.
std::optional<QByteArray> PlsFileNumber(const QByteArray& key) {
  if (key.size() <= 4 || key.left(4).compare("file", Qt::CaseInsensitive) != 0) return {};
  QByteArray digits = key.mid(4);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return {};
  while (digits.startsWith('0')) digits.remove(0, 1);
  return digits;
}

// Numbers of any length in numeric order: fewer digits first, then digit by digit.
struct NumberLess {
  bool operator()(const QByteArray& a, const QByteArray& b) const {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  }
};

}  // namespace

PlayListKind PlayListKindOf(const QString& path) {
  if (EndsWith(path, QLatin1StringView(".m3u"))) return PlayListKind::M3u;
  if (EndsWith(path, QLatin1StringView(".m3u8"))) return PlayListKind::M3u8;
  if (EndsWith(path, QLatin1StringView(".pls"))) return PlayListKind::Pls;
  return PlayListKind::Own;
}

bool IsPlayListName(const QString& path) {
  return PlayListKindOf(path) != PlayListKind::Own || EndsWith(path, QLatin1StringView(".osp"));
}

std::vector<QByteArray> ParseM3u(const QByteArray& bytes, const QByteArray& folder, bool utf8) {
  std::vector<QByteArray> entries;
  for (const QByteArray& line : ParsePlayList(WithoutBom(bytes))) {
    if (line.startsWith('#') || IsBlank(line)) continue;
    entries.push_back(EntryFor(utf8 ? FileNameOfUtf8(line) : line, folder));
  }
  return entries;
}

std::vector<QByteArray> ParsePls(const QByteArray& bytes, const QByteArray& folder) {
  // A number given twice counts once, with its last value, as in any file of this kind.
  std::map<QByteArray, QByteArray, NumberLess> files;
  for (const QByteArray& line : ParsePlayList(WithoutBom(bytes))) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) continue;
    const std::optional<QByteArray> number = PlsFileNumber(line.left(equals).trimmed());
    const QByteArray value = line.mid(equals + 1);
    if (number && !IsBlank(value)) files[*number] = value;
  }
  std::vector<QByteArray> entries;
  entries.reserve(files.size());
  for (const auto& [number, value] : files) entries.push_back(EntryFor(value, folder));
  return entries;
}

std::optional<QByteArray> LocalPathOfFileUri(const QByteArray& uri) {
  if (uri.size() < 5 || uri.left(5).compare("file:", Qt::CaseInsensitive) != 0) return {};
  QByteArray rest = uri.mid(5);
  // A query or fragment is not part of the name; a "#" or "?" in a name is escaped.
  for (const char stop : {'?', '#'})
    if (const qsizetype at = rest.indexOf(stop); at >= 0) rest.truncate(at);
  if (rest.startsWith("//")) {
    const qsizetype slash = rest.indexOf('/', 2);
    if (slash < 0 || !IsThisHost(rest.mid(2, slash - 2))) return {};
    rest.remove(0, slash);
  }
  if (!rest.startsWith('/')) return {};
  QByteArray path = QByteArray::fromPercentEncoding(rest);
  // No file name holds a NUL byte.
  if (path.contains('\0')) return {};
  return path;
}

}  // namespace ostrivo
