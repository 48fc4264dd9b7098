#include "utils/settings_value.h"

#include <QtGlobal>
#include <new>

QVariant settingsValue(QSettings &settings, const QString &key) {
    try {
        return settings.value(key);
    } catch (const std::bad_alloc &) {
        qWarning("%s", qUtf8Printable(
                           QStringLiteral("%1: value of %2 cannot be read, ignored").arg(settings.fileName(), key)));
        return QVariant();
    }
}
