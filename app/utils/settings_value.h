// Reading one value of the settings file without letting a damaged value end the process.
#ifndef QETO_SETTINGS_VALUE_H
#define QETO_SETTINGS_VALUE_H

#include <QSettings>
#include <QString>
#include <QVariant>

// settings.value(key). Qt decodes an "@Variant(...)" value of an INI file with QDataStream, and
// a damaged one can ask for an impossible allocation; that key then reads as absent (an
// invalid QVariant) and a warning names it.
QVariant settingsValue(QSettings &settings, const QString &key);

#endif  // QETO_SETTINGS_VALUE_H
