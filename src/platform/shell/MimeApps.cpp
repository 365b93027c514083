#include "platform/shell/MimeApps.h"

#include <QStringList>

namespace ostrivo {

namespace {

const QString kDefaults = QStringLiteral("Default Applications");
const QString kAdded = QStringLiteral("Added Associations");

struct Located {
  qsizetype group = -1;  // the group header's line, -1 when the group is missing
  qsizetype end = 0;     // the line after the group's last line
  qsizetype key = -1;    // the type's line inside the group, -1 when missing
};

bool IsGroupHeader(const QString& line) {
  return line.startsWith(u'[');
}

Located Locate(const QStringList& lines, const QString& group, const QString& type) {
  Located at;
  at.end = lines.size();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString trimmed = lines[i].trimmed();
    if (IsGroupHeader(trimmed)) {
      if (at.group >= 0) {
        at.end = i;
        break;
      }
      if (trimmed == u'[' + group + u']') at.group = i;
      continue;
    }
    if (at.group < 0) continue;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq > 0 && trimmed.left(eq).trimmed() == type) at.key = i;
  }
  // Blank lines at a group's end belong to the gap before the next one.
  while (at.group >= 0 && at.end > at.group + 1 && lines[at.end - 1].trimmed().isEmpty()) --at.end;
  return at;
}

QStringList ValueList(const QString& line) {
  const qsizetype eq = line.indexOf(u'=');
  QStringList values = line.mid(eq + 1).trimmed().split(u';', Qt::SkipEmptyParts);
  for (QString& v : values) v = v.trimmed();
  return values;
}

// Replaces, adds or (for an empty list) removes the type's line in the group.
void Store(QStringList& lines, const QString& group, const QString& type,
           const QStringList& values) {
  const Located at = Locate(lines, group, type);
  const QString line = type + u'=' + values.join(u';') + u';';
  if (at.key >= 0) {
    if (values.isEmpty())
      lines.removeAt(at.key);
    else
      lines[at.key] = line;
    return;
  }
  if (values.isEmpty()) return;
  if (at.group < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << u'[' + group + u']' << line;
    return;
  }
  lines.insert(at.end, line);
}

QStringList Lines(const QString& text) {
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QString Text(const QStringList& lines) {
  return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

QStringList Current(const QStringList& lines, const QString& group, const QString& type) {
  const Located at = Locate(lines, group, type);
  return at.key >= 0 ? ValueList(lines[at.key]) : QStringList();
}

}  // namespace

QString SetDefaultApplication(const QString& text, const QString& type, const QString& entryId) {
  QStringList lines = Lines(text);
  Store(lines, kDefaults, type, {entryId});
  QStringList added = Current(lines, kAdded, type);
  added.removeAll(entryId);
  added.prepend(entryId);
  Store(lines, kAdded, type, added);
  return Text(lines);
}

QString RemoveApplication(const QString& text, const QString& type, const QString& entryId) {
  QStringList lines = Lines(text);
  for (const QString& group : {kDefaults, kAdded}) {
    QStringList values = Current(lines, group, type);
    if (values.removeAll(entryId) > 0) Store(lines, group, type, values);
  }
  return Text(lines);
}

}  // namespace ostrivo
