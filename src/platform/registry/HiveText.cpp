#include "platform/registry/HiveText.h"

#include <QStringDecoder>
#include <algorithm>

namespace ostrivo {

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00";
constexpr int kHexLineLimit = 78;

int CompareNames(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive);
}

bool ValidUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  (void)decoder.decode(bytes);
  return !decoder.hasError();
}

}  // namespace

QString HiveRootName(Hive hive) {
  return hive == Hive::ClassesRoot ? QStringLiteral("HKEY_CLASSES_ROOT")
                                   : QStringLiteral("HKEY_CURRENT_USER");
}

RegistryValue RegistryValue::String(const QByteArray& text) {
  QByteArray data = text;
  data.append('\0');
  return RegistryValue{REG_SZ, data};
}

// ---- the tree ----

bool HiveKey::ValidKeyName(const QString& name) {
  return !name.isEmpty() && !name.contains(QLatin1Char('\\')) && ValidValueName(name);
}

bool HiveKey::ValidValueName(const QString& name) {
  return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) &&
         !name.contains(QChar(0));
}

HiveKey* HiveKey::Child(const QString& name) {
  auto it = std::lower_bound(
      subkeys_.begin(), subkeys_.end(), name,
      [](const HiveKey& k, const QString& n) { return CompareNames(k.name_, n) < 0; });
  return it != subkeys_.end() && CompareNames(it->name_, name) == 0 ? &*it : nullptr;
}

HiveKey* HiveKey::Find(const KeyPath& path) {
  HiveKey* key = this;
  for (const QString& name : path) {
    key = key->Child(name);
    if (!key) return nullptr;
  }
  return key;
}

HiveKey* HiveKey::Create(const KeyPath& path) {
  for (const QString& name : path)
    if (!ValidKeyName(name)) return nullptr;
  HiveKey* key = this;
  for (const QString& name : path) {
    HiveKey* child = key->Child(name);
    if (!child) {
      auto it = std::lower_bound(
          key->subkeys_.begin(), key->subkeys_.end(), name,
          [](const HiveKey& k, const QString& n) { return CompareNames(k.name_, n) < 0; });
      child = &*key->subkeys_.insert(it, HiveKey(name));
    }
    key = child;
  }
  return key;
}

bool HiveKey::Remove(const KeyPath& path) {
  if (path.isEmpty()) return false;
  HiveKey* parent = Find(path.mid(0, path.size() - 1));
  if (!parent) return false;
  for (auto it = parent->subkeys_.begin(); it != parent->subkeys_.end(); ++it) {
    if (CompareNames(it->name_, path.last()) == 0) {
      parent->subkeys_.erase(it);
      return true;
    }
  }
  return false;
}

const RegistryValue* HiveKey::Value(const QString& name) const {
  for (const auto& [n, v] : values_)
    if (CompareNames(n, name) == 0) return &v;
  return nullptr;
}

void HiveKey::SetValue(const QString& name, const RegistryValue& value) {
  for (auto& [n, v] : values_) {
    if (CompareNames(n, name) == 0) {
      v = value;
      return;
    }
  }
  values_.emplace_back(name, value);
}

bool HiveKey::RemoveValue(const QString& name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (CompareNames(it->first, name) == 0) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

bool HiveKey::operator==(const HiveKey& other) const {
  return name_ == other.name_ && values_ == other.values_ && subkeys_ == other.subkeys_;
}

// ---- writing ----

namespace {

QByteArray Quoted(const QByteArray& bytes) {
  QByteArray out;
  out.reserve(bytes.size() + 2);
  out.append('"');
  for (char c : bytes) {
    if (c == '\\' || c == '"') out.append('\\');
    out.append(c);
  }
  out.append('"');
  return out;
}

bool WritableQuoted(const RegistryValue& v) {
  if (v.type != REG_SZ || v.data.isEmpty() || v.data.back() != '\0') return false;
  const QByteArray text = v.data.first(v.data.size() - 1);
  return !text.contains('\0') && !text.contains('\r') && !text.contains('\n') && ValidUtf8(text);
}

void AppendValue(QByteArray& out, const QString& name, const RegistryValue& v) {
  QByteArray line = name.isEmpty() ? QByteArray("@") : Quoted(name.toUtf8());
  line.append('=');
  if (WritableQuoted(v)) {
    line.append(Quoted(v.data.first(v.data.size() - 1)));
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    const auto* d = reinterpret_cast<const unsigned char*>(v.data.constData());
    const uint32_t n = d[0] | d[1] << 8 | d[2] << 16 | uint32_t(d[3]) << 24;
    line.append("dword:").append(QByteArray::number(n, 16).rightJustified(8, '0'));
  } else {
    line.append(v.type == REG_BINARY ? QByteArray("hex:")
                                     : "hex(" + QByteArray::number(v.type, 16) + "):");
    for (qsizetype i = 0; i < v.data.size(); ++i) {
      QByteArray token =
          QByteArray::number(static_cast<unsigned char>(v.data[i]), 16).rightJustified(2, '0');
      if (i + 1 < v.data.size()) token.append(',');
      if (line.size() + token.size() > kHexLineLimit) {
        out.append(line).append("\\\n");
        line = "  ";
      }
      line.append(token);
    }
  }
  out.append(line).append('\n');
}

void AppendKey(QByteArray& out, const HiveKey& key, const QByteArray& path) {
  out.append('[').append(path).append("]\n");
  for (const auto& [name, value] : key.Values()) AppendValue(out, name, value);
  out.append('\n');
  for (const HiveKey& sub : key.SubKeys()) AppendKey(out, sub, path + '\\' + sub.Name().toUtf8());
}

}  // namespace

QByteArray HiveToText(const HiveKey& root, Hive hive) {
  QByteArray out = kHeader + "\n\n";
  AppendKey(out, root, HiveRootName(hive).toUtf8());
  return out;
}

// ---- reading ----

namespace {

class Parser {
 public:
  Parser(const QByteArray& text, Hive hive) : hive_(hive) {
    QByteArray body = text;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    lines_ = body.split('\n');
    for (QByteArray& l : lines_)
      if (l.endsWith('\r')) l.chop(1);
  }

  std::optional<HiveKey> Run(QString* error) {
    HiveKey root;
    bool headerSeen = false;
    HiveKey* current = nullptr;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const QByteArray line = lines_[index_].trimmed();
      if (line.isEmpty() || line.startsWith(';')) continue;
      if (!headerSeen) {
        if (line != kHeader) return Fail(error, "the first line is not \"" + kHeader + "\"");
        headerSeen = true;
        continue;
      }
      if (line.startsWith('[')) {
        if (!line.endsWith(']')) return Fail(error, "a key line without its closing \"]\"");
        const bool remove = line.size() > 1 && line[1] == '-';
        const auto path = KeyLine(line.mid(remove ? 2 : 1, line.size() - (remove ? 3 : 2)));
        if (!path) return Fail(error, "a key outside " + HiveRootName(hive_).toUtf8());
        if (remove) {
          root.Remove(*path);
          current = nullptr;
          continue;
        }
        current = root.Create(*path);
        if (!current) return Fail(error, "an invalid key name");
        continue;
      }
      if (!current) return Fail(error, "a value outside any key");
      if (!ValueLine(line, *current)) return Fail(error, "an unreadable value line");
    }
    return root;
  }

 private:
  std::optional<HiveKey> Fail(QString* error, const QByteArray& why) {
    if (error) *error = QStringLiteral("line %1: %2").arg(index_ + 1).arg(QString::fromUtf8(why));
    return std::nullopt;
  }

  std::optional<KeyPath> KeyLine(const QByteArray& full) const {
    const QStringList parts = QString::fromUtf8(full).split(QLatin1Char('\\'));
    if (CompareNames(parts.first(), HiveRootName(hive_)) != 0) return std::nullopt;
    KeyPath path;
    for (qsizetype i = 1; i < parts.size(); ++i)
      if (!parts[i].isEmpty()) path.append(parts[i]);
    return path;
  }

  // Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
  static std::optional<QByteArray> QuotedText(const QByteArray& line, qsizetype& pos) {
    QByteArray out;
    for (++pos; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '\\' || line[pos + 1] == '"'))
        ++pos;
      out.append(line[pos]);
    }
    return std::nullopt;
  }

  static void SkipBlanks(const QByteArray& line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  }

  static std::optional<QByteArray> HexBytes(const QByteArray& list) {
    QByteArray out;
    const QList<QByteArray> tokens = list.split(',');
    for (qsizetype i = 0; i < tokens.size(); ++i) {
      const QByteArray t = tokens[i].trimmed();
      if (t.isEmpty()) {
        if (i + 1 == tokens.size()) break;  // "hex:" with no data, or a trailing comma
        return std::nullopt;
      }
      bool ok = false;
      const uint b = t.toUInt(&ok, 16);
      if (!ok || t.size() > 2 || b > 0xff) return std::nullopt;
      out.append(static_cast<char>(b));
    }
    return out;
  }

  bool ValueLine(const QByteArray& line, HiveKey& key) {
    qsizetype pos = 0;
    QString name;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      auto n = QuotedText(line, pos);
      if (!n) return false;
      name = QString::fromUtf8(*n);
    } else {
      return false;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    SkipBlanks(line, pos);
    const QByteArray rest = line.mid(pos);
    if (rest == "-") {
      key.RemoveValue(name);
      return true;
    }
    if (rest.startsWith('"')) {
      qsizetype p = 0;
      auto text = QuotedText(rest, p);
      if (!text || !rest.mid(p).trimmed().isEmpty()) return false;
      key.SetValue(name, RegistryValue::String(*text));
      return true;
    }
    if (rest.startsWith("dword:")) {
      const QByteArray digits = rest.mid(6).trimmed();
      bool ok = false;
      const uint32_t n = digits.toUInt(&ok, 16);
      if (!ok || digits.isEmpty() || digits.size() > 8) return false;
      QByteArray data(4, '\0');
      for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((n >> (8 * i)) & 0xff);
      key.SetValue(name, RegistryValue{REG_DWORD, data});
      return true;
    }
    uint32_t type = REG_BINARY;
    QByteArray list;
    if (rest.startsWith("hex:")) {
      list = rest.mid(4);
    } else if (rest.startsWith("hex(")) {
      const qsizetype close = rest.indexOf("):");
      if (close < 0) return false;
      bool ok = false;
      const QByteArray digits = rest.mid(4, close - 4);
      type = digits.toUInt(&ok, 16);
      if (!ok || digits.isEmpty() || digits.size() > 8) return false;
      list = rest.mid(close + 2);
    } else {
      return false;
    }
    // Wrapped data: a line ending in "\" goes on with the next one.
    list = list.trimmed();
    while (list.endsWith('\\')) {
      list.chop(1);
      if (index_ + 1 >= lines_.size()) return false;
      const QByteArray next = lines_[++index_].trimmed();
      if (next.isEmpty()) return false;  // cut off in the middle of the data
      list.append(next);
    }
    auto data = HexBytes(list);
    if (!data) return false;
    key.SetValue(name, RegistryValue{type, *data});
    return true;
  }

  Hive hive_;
  QList<QByteArray> lines_;
  qsizetype index_ = 0;
};

}  // namespace

std::optional<HiveKey> ParseHiveText(const QByteArray& text, Hive hive, QString* error) {
  return Parser(text, hive).Run(error);
}

}  // namespace ostrivo
