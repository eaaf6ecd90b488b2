// The application's settings: sections of named integer and string entries.
//
// Section and entry names compare without regard to case. Every read names a
// default, returned when the entry is missing or holds the other type, and
// reading never creates anything. Writes create what they need; their
// failures are not reported.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace orlen {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int GetSettingInt(std::string_view section, std::string_view entry, int def) = 0;
    virtual std::string GetSettingString(std::string_view section, std::string_view entry,
                                         std::string_view def) = 0;
    virtual void WriteSettingInt(std::string_view section, std::string_view entry, int value) = 0;
    virtual void WriteSettingString(std::string_view section, std::string_view entry,
                                    std::string_view value) = 0;
};

// Settings held in memory: for tests and the command-line tool.
class MemorySettingsStore final : public SettingsStore {
public:
    int GetSettingInt(std::string_view section, std::string_view entry, int def) override;
    std::string GetSettingString(std::string_view section, std::string_view entry,
                                 std::string_view def) override;
    void WriteSettingInt(std::string_view section, std::string_view entry, int value) override;
    void WriteSettingString(std::string_view section, std::string_view entry,
                            std::string_view value) override;

    // Whether an entry exists, and how many there are (for tests).
    bool Has(std::string_view section, std::string_view entry) const;
    std::size_t Size() const { return values_.size(); }

private:
    using Value = std::variant<int, std::string>;
    static std::string Key(std::string_view section, std::string_view entry);
    std::map<std::string, Value> values_;
};

} // namespace orlen
