#include "shell/settings_store.h"

namespace orlen {

std::string MemorySettingsStore::Key(std::string_view section, std::string_view entry) {
    std::string key;
    key.reserve(section.size() + entry.size() + 1);
    for (char c : section) {
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    key += '\n'; // cannot occur in a name, so section and entry stay apart
    for (char c : entry) {
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

int MemorySettingsStore::GetSettingInt(std::string_view section, std::string_view entry, int def) {
    auto it = values_.find(Key(section, entry));
    if (it == values_.end() || !std::holds_alternative<int>(it->second)) {
        return def;
    }
    return std::get<int>(it->second);
}

std::string MemorySettingsStore::GetSettingString(std::string_view section, std::string_view entry,
                                                  std::string_view def) {
    auto it = values_.find(Key(section, entry));
    if (it == values_.end() || !std::holds_alternative<std::string>(it->second)) {
        return std::string(def);
    }
    return std::get<std::string>(it->second);
}

void MemorySettingsStore::WriteSettingInt(std::string_view section, std::string_view entry,
                                          int value) {
    values_[Key(section, entry)] = value;
}

void MemorySettingsStore::WriteSettingString(std::string_view section, std::string_view entry,
                                             std::string_view value) {
    values_[Key(section, entry)] = std::string(value);
}

bool MemorySettingsStore::Has(std::string_view section, std::string_view entry) const {
    return values_.count(Key(section, entry)) != 0;
}

} // namespace orlen
