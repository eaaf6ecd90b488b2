// The settings store on QSettings: an INI file in the user's configuration
// folder (the registry under Windows). Section and entry names match without
// regard to case, as the store promises, although the file itself keeps the
// case they were first written with.
#pragma once

#include "shell/settings_store.h"

#include <QSettings>
#include <memory>

namespace orlen {

class QtSettingsStore final : public SettingsStore {
public:
    // The user's own settings file.
    QtSettingsStore();
    // A given INI file (tests).
    explicit QtSettingsStore(const QString& iniFile);

    int GetSettingInt(std::string_view section, std::string_view entry, int def) override;
    std::string GetSettingString(std::string_view section, std::string_view entry,
                                 std::string_view def) override;
    void WriteSettingInt(std::string_view section, std::string_view entry, int value) override;
    void WriteSettingString(std::string_view section, std::string_view entry,
                            std::string_view value) override;
    void Sync() { settings_->sync(); }
    QString FileName() const { return settings_->fileName(); }

private:
    // The key as stored, matched without case; empty when absent.
    QString FindKey(std::string_view section, std::string_view entry) const;
    QString KeyForWrite(std::string_view section, std::string_view entry) const;
    std::unique_ptr<QSettings> settings_;
};

} // namespace orlen
