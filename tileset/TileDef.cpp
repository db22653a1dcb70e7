#include "tileset/TileDef.h"

#include <cmath>

namespace {

const WString& EmptyText() {
    static const WString empty{};
    return empty;
}

} // namespace

TileDef::TileDef(int index, const WString& tileSetName, const WString& name)
    : index_(index), name_(name), key_(tileSetName) {
    key_ += u':';
    key_ += name;
}

bool TileDef::LocalFlagDefault(int index) const {
    return index >= 0 && index < LocalFlagCount() && localFlagDefaults_[index];
}

const WString& TileDef::LocalFlagLabel(int index) const {
    return index >= 0 && index < LocalFlagCount() ? localFlagLabels_[index] : EmptyText();
}

void TileDef::DefineLocalFlag(int index, bool defaultState, const WString& label) {
    if (index < 0) {
        return;
    }
    if (index >= LocalFlagCount()) {
        localFlagDefaults_.resize(index + 1, false);
        localFlagLabels_.resize(index + 1);
    }
    if (localFlagLabels_[index].IsEmpty()) {
        localFlagDefaults_[index] = defaultState;
        localFlagLabels_[index] = label;
    }
}

WString TileDef::PanelLabel(int used) const {
    WString label(name_);
    if (hasMaxCount_) {
        label += u" : ";
        label += used;
        label += u" used of ";
        label += maxCount_;
    }
    return label;
}

int TileDef::CountStatus(int used) const {
    if (!hasMaxCount_ || used < maxCount_) {
        return 0;
    }
    return used == maxCount_ ? 1 : 2;
}

bool TileDef::MayPlace(int used) const {
    return !hasMaxCount_ || used < maxCount_ || warn_;
}

void TileDef::SetMaxCount(int maxCount) {
    hasMaxCount_ = true;
    maxCount_ = maxCount;
}

void TileDef::SetScale(double xScale, double yScale) {
    // A scale of 0 would make placed copies vanish and their inverse transforms singular; a value that
    // is not a finite number would poison every transform it touches.
    xScale_ = (xScale == 0.0 || !std::isfinite(xScale)) ? 1.0 : xScale;
    yScale_ = (yScale == 0.0 || !std::isfinite(yScale)) ? 1.0 : yScale;
}
