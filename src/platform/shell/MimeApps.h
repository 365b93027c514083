#pragma once
// Edits of a mimeapps.list text (the user's choices of applications per MIME type), keeping
// every other line, group and comment as it stands.

#include <QString>

namespace ostrivo {

// Makes entryId the default application for the type ([Default Applications]), and lists it
// first among the type's added associations, as `xdg-mime default` does.
QString SetDefaultApplication(const QString& text, const QString& type, const QString& entryId);
// Takes entryId out of the type's default and added associations; other applications' choices
// stay.
QString RemoveApplication(const QString& text, const QString& type, const QString& entryId);

}  // namespace ostrivo
