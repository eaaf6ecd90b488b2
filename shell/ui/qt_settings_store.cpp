#include "shell/ui/qt_settings_store.h"
#include "page/ui/qt_text.h"

#include "shell/shell_texts.h"

namespace orlen {

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            ToQString(shell_texts::kAppTitle),
                                            ToQString(shell_texts::kAppTitle))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QString QtSettingsStore::FindKey(std::string_view section, std::string_view entry) const {
    const QString wantedSection = ToQString(section);
    const QString wantedEntry = ToQString(entry);
    for (const QString& group : settings_->childGroups()) {
        if (group.compare(wantedSection, Qt::CaseInsensitive) != 0) {
            continue;
        }
        settings_->beginGroup(group);
        const QStringList keys = settings_->childKeys();
        settings_->endGroup();
        for (const QString& key : keys) {
            if (key.compare(wantedEntry, Qt::CaseInsensitive) == 0) {
                return group + "/" + key;
            }
        }
    }
    return {};
}

QString QtSettingsStore::KeyForWrite(std::string_view section, std::string_view entry) const {
    QString key = FindKey(section, entry);
    if (!key.isEmpty()) {
        return key;
    }
    // A new entry goes into the section as it is already spelt, if present.
    QString group = ToQString(section);
    for (const QString& existing : settings_->childGroups()) {
        if (existing.compare(group, Qt::CaseInsensitive) == 0) {
            group = existing;
            break;
        }
    }
    return group + "/" + ToQString(entry);
}

int QtSettingsStore::GetSettingInt(std::string_view section, std::string_view entry, int def) {
    const QString key = FindKey(section, entry);
    if (key.isEmpty()) {
        return def;
    }
    bool ok = false;
    const int value = settings_->value(key).toString().trimmed().toInt(&ok);
    return ok ? value : def;
}

std::string QtSettingsStore::GetSettingString(std::string_view section, std::string_view entry,
                                              std::string_view def) {
    const QString key = FindKey(section, entry);
    if (key.isEmpty()) {
        return std::string(def);
    }
    return settings_->value(key).toString().toStdString();
}

void QtSettingsStore::WriteSettingInt(std::string_view section, std::string_view entry, int value) {
    settings_->setValue(KeyForWrite(section, entry), value);
}

void QtSettingsStore::WriteSettingString(std::string_view section, std::string_view entry,
                                         std::string_view value) {
    settings_->setValue(KeyForWrite(section, entry), ToQString(value));
}

} // namespace orlen
