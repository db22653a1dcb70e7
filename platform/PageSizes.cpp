#include "platform/PageSizes.h"

#include <QPageSize>
#include <QString>

namespace {

constexpr QPageSize::PageSizeId kCommon[] = {QPageSize::A4,     QPageSize::A3,       QPageSize::A5,
                                             QPageSize::Letter, QPageSize::Legal,    QPageSize::Tabloid,
                                             QPageSize::Ledger, QPageSize::Executive};

} // namespace

int PageSizes::Find(std::string_view name) {
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (wanted.isEmpty()) {
        return kNotFound;
    }
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pageId = static_cast<QPageSize::PageSizeId>(id);
        if (pageId != QPageSize::Custom && QPageSize::key(pageId).compare(wanted, Qt::CaseInsensitive) == 0) {
            return id;
        }
    }
    return kNotFound;
}

int PageSizes::Default() {
    return QPageSize::A4;
}

std::string PageSizes::CommonNames() {
    std::string names;
    for (QPageSize::PageSizeId id : kCommon) {
        names += QPageSize::key(id).toStdString() + ", ";
    }
    return names + "...";
}
