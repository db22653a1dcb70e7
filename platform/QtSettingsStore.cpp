#include "platform/QtSettingsStore.h"

#include "platform/QtText.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace {

QString GroupKey(const WString& key) {
    return QString::fromLatin1(QtSettingsStore::kGroup) + QLatin1Char('/') + ToQString(key);
}

} // namespace

struct QtSettingsStore::Impl {
    std::unique_ptr<QSettings> settings;
};

QtSettingsStore::QtSettingsStore() : impl_(std::make_unique<Impl>()) {
    impl_->settings =
        std::make_unique<QSettings>(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
}

QtSettingsStore::QtSettingsStore(const WString& iniPath) : impl_(std::make_unique<Impl>()) {
    impl_->settings = std::make_unique<QSettings>(ToQString(iniPath), QSettings::IniFormat);
}

QtSettingsStore::~QtSettingsStore() {
    Sync();
}

int QtSettingsStore::ReadInt(const WString& key, int defaultValue) const {
    // Values written by another run come back as text; toInt reads both forms.
    bool ok = false;
    const int value = impl_->settings->value(GroupKey(key)).toInt(&ok);
    return ok ? value : defaultValue;
}

void QtSettingsStore::WriteInt(const WString& key, int value) {
    impl_->settings->setValue(GroupKey(key), value);
}

WString QtSettingsStore::ReadString(const WString& key, const WString& defaultValue) const {
    const QVariant value = impl_->settings->value(GroupKey(key));
    return value.isValid() ? FromQString(value.toString()) : defaultValue;
}

void QtSettingsStore::WriteString(const WString& key, const WString& value) {
    impl_->settings->setValue(GroupKey(key), ToQString(value));
}

bool QtSettingsStore::ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const {
    const QVariant value = impl_->settings->value(GroupKey(key));
    if (value.typeId() != QMetaType::QByteArray) {
        return false; // absent, or text that some other program put there
    }
    const QByteArray stored = value.toByteArray();
    bytes.assign(stored.begin(), stored.end());
    return true;
}

void QtSettingsStore::WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) {
    impl_->settings->setValue(
        GroupKey(key), QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count)));
}

void QtSettingsStore::Sync() {
    impl_->settings->sync();
}
