// SPDX-License-Identifier: GPL-3.0-or-later
// File types by name: the description shown in the "Type" column of file lists, and the one-entry cache in
// front of the desktop's icon lookup. Neither reads the medium.
#pragma once

#include <string>
#include <string_view>

namespace salvora {

// The extension of a file name as the product has always found it: from the last "." of the final name
// component on, dot included; empty when there is none, or when a blank follows the last dot.
std::string findExtension(std::string_view fileName);

// "Image File" for ".JPG", "XYZ File" for an unknown ".xyz", "File" for none. Extensions are compared
// exactly and case-sensitively.
std::string FileTypeDescription(std::string_view extension, std::string_view fileName);

// Looks up a file's icon by its name alone (the file need not exist). The GUI implements it with the
// desktop's icon theme.
class IconLookup {
public:
    virtual ~IconLookup() = default;
    virtual int iconIndexForName(const std::string& fileName, bool open, bool small) = 0;
};

// Remembers the icon of the last extension asked for, so a run of names of one extension costs one lookup.
// One cache serves one thread at a time.
class SystemIconIndexCache {
public:
    explicit SystemIconIndexCache(IconLookup& lookup) : m_lookup(lookup) {}
    int SystemIconIndex(const std::string& fileName, bool open, bool small);

private:
    IconLookup& m_lookup;
    bool m_remembered = false;
    std::string m_lastExtension;
    int m_lastIconIndex = 0;
};

} // namespace salvora
