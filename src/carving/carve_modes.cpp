// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/carve_modes.h"

#include "carving/data_files.h"

namespace salvora {

std::string_view primaryDataFile(CarveMode mode) {
    switch (mode) {
    case CarveMode::Photo:
        return kPhotoDataFile;
    case CarveMode::Signature:
        return kSignatureDataFile;
    case CarveMode::Video:
        return kVideoDataFile;
    }
    return kPhotoDataFile;
}

std::string_view thoroughDataFile(CarveMode mode) {
    switch (mode) {
    case CarveMode::Photo:
        return kPhotoThoroughDataFile;
    case CarveMode::Signature:
        return kSignatureThoroughDataFile;
    case CarveMode::Video:
        return kVideoThoroughDataFile;
    }
    return kPhotoThoroughDataFile;
}

Result<bool> loadPhotoTypes(CarvingState& state, std::string_view dataDirectory) {
    state.GeneralTypeList.clear();
    state.AdvanceTypeList.clear();
    auto general = LoadTypeListFile(dataDirectory, kPhotoDataFile, state.GeneralTypeList);
    if (!general)
        return general;
    auto advance = LoadTypeListFile(dataDirectory, kPhotoThoroughDataFile, state.AdvanceTypeList);
    if (!advance)
        return advance;
    fillPhotoTypeTable(state);
    return true;
}

Result<bool> fillModeTypeChooser(CarvingState& state, std::string_view dataDirectory, CarveMode mode) {
    state.typeChooser.rows.clear();
    for (std::string_view name : {primaryDataFile(mode), thoroughDataFile(mode)}) {
        auto text = readSignatureDataFile(dataDirectory, name);
        if (!text)
            return text.error();
        FillTypeChooser(*text, state.typeChooser);
    }
    return true;
}

Result<bool> loadPrimaryCheckedTypes(CarvingState& state, std::string_view dataDirectory, CarveMode mode) {
    state.ActiveTypeList.clear();
    auto text = readSignatureDataFile(dataDirectory, primaryDataFile(mode));
    if (!text)
        return text.error();
    LoadCheckedTypes(*text, state.typeChooser, state.ActiveTypeList);
    return true;
}

} // namespace salvora
