#pragma once

#include "support/SettingsStore.h"

#include <memory>

// The settings store of the running program: the per-user Qt settings of the organisation
// "Local AppWizard-Generated Applications" and application "Gridvellum", all values in the group
// "Gridvellum". Binary values are stored as byte arrays, so a one-byte flag state stays one byte.
class QtSettingsStore : public SettingsStore {
public:
    static constexpr const char* kOrganisation = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Gridvellum";
    static constexpr const char* kGroup = "Gridvellum";

    QtSettingsStore();
    // Keeps the settings in the INI file at path instead of the user's store (tools and tests).
    explicit QtSettingsStore(const WString& iniPath);
    ~QtSettingsStore() override;

    int ReadInt(const WString& key, int defaultValue) const override;
    void WriteInt(const WString& key, int value) override;
    WString ReadString(const WString& key, const WString& defaultValue) const override;
    void WriteString(const WString& key, const WString& value) override;
    bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const override;
    void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) override;

    // Writes pending changes to disk; also done when the store is destroyed.
    void Sync();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
