// SPDX-License-Identifier: GPL-3.0-or-later
// The signature data file readers over arbitrary text: the Photo list loader, the type chooser and the
// checked-types loader, then a lookup of every loaded key.
#include <cstdint>
#include <string_view>

#include "carving/type_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TypeList list;
    LoadTypeList(text, list);
    TypeChooser chooser;
    FillTypeChooser(text, chooser);
    for (std::size_t i = 0; i < chooser.rows.size(); i += 2)
        chooser.rows[i].checked = false;
    TypeList active;
    LoadCheckedTypes(text, chooser, active);
    for (const FileType1& type : active.types) {
        if (type.signatureLength < 0 || type.signatureLength > static_cast<int>(kMaxSignatureLength))
            __builtin_trap();
        if (!findNextType(active.types, type.offset, type.firstByte))
            __builtin_trap();
    }
    (void)parseMaxSize(text);
    return 0;
}
