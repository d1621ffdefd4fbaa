// SPDX-License-Identifier: GPL-3.0-or-later
// Naming on the destination, shared by everything that writes recovered files (the save engine and the
// carving engine): numbered duplicates ("_dd_N"), folder creation, and the one rule that keeps a recovered
// name inside the destination folder. The only code in this layer that touches the destination, never the
// medium.
#pragma once

#include <string>
#include <string_view>

namespace salvora {

// The first free path made by inserting "_dd_N" before the last "." of the name (or at its end when it has
// none), N counting from 0: IMG_0042.JPG -> IMG_0042_dd_0.JPG, README -> README_dd_0, a.b.c -> a.b_dd_0.c.
std::string MakeDuplicateName(const std::string& path);

// Creates the folder and, when that fails, every missing folder along the path. Failures are ignored: a
// folder that could not be made shows up when the file in it cannot be created.
void CreateFolderPath(const std::string& path);

// A name read from a damaged or hostile medium made safe as one path component: "/" becomes "%2F", NUL
// becomes "%00", and "." and ".." become "%2E" and "%2E%2E"; an empty name becomes "%00". Every other name
// is returned unchanged, so recovered names stay recognisable.
std::string safeComponentName(std::string_view name);

// The file-name part of a path (after its last "/").
std::string fileNamePart(const std::string& path);

} // namespace salvora
