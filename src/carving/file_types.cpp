// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/file_types.h"

#include <array>
#include <initializer_list>

#include "base/text.h"

namespace salvora {
namespace {

struct TypeGroup {
    std::string_view description;
    std::initializer_list<std::string_view> extensions;
    // Tested against the end of the whole name rather than the extension.
    std::initializer_list<std::string_view> nameEndings;
};

// Order matters: the first group that knows the extension wins.
const std::array<TypeGroup, 37> kTypeGroups = {{
    {"Microsoft Word File", {".DOC", ".doc", ".docx", ".DOCX"}, {}},
    {"Microsoft Power Point File", {".PPT", ".ppt", ".PPTX", ".pptx", ".PPSX", ".ppsx", ".PPS", ".pps"}, {}},
    {"Microsoft Excel File", {".XLS", ".xls", ".XLSX", ".xlsx"}, {}},
    {"Icon file", {".ICO", ".ico"}, {}},
    {"PDF file", {".PDF", ".pdf"}, {}},
    {"Executable file", {".EXE", ".exe", ".bat", ".BAT", ".com", ".COM"}, {}},
    {"Font file", {".TTF", ".FON", ".fon", ".FNT", ".fnt", ".OTF", ".otf"}, {".ttf"}},
    {"Image File",
     {".PS",  ".ps",  ".AI",  ".ai",  ".BMP", ".GIF", ".gif", ".PNG", ".png", ".PSD", ".psd",
      ".PSP", ".psp", ".THM", ".thm", ".TIF", ".tif", ".DRW", ".drw", ".DXF", ".dxf", ".EPS",
      ".eps", ".SVG", ".svg", ".JPG", ".jpg", ".MNG", ".mng", ".PCT", ".pct", ".JPEG", ".jpeg"},
     {".bmp"}},
    {"Winzip File",
     {".ZIP", ".zip", ".RAR", ".rar", ".7Z", ".7z", ".DEB", ".deb", ".GZ", ".gz", ".PKG", ".pkg", ".SEA", ".sea",
      ".SIT", ".sit", ".SITX", ".sitx"},
     {}},
    {"Web file",
     {".htm", ".HTM", ".HTML", ".html", ".ASP", ".asp", ".ASPX", ".aspx", ".CSS", ".css", ".JS", ".js", ".JSP",
      ".jsp", ".PHP", ".php", ".XHTML", ".xhtml"},
     {}},
    {"Help File", {".chm", ".CHM"}, {}},
    {"Registry file", {".REG", ".reg"}, {}},
    {"Sound file",
     {".WAV", ".wav", ".AU",  ".au",  ".MP3", ".mp3", ".M4A", ".m4a", ".MID", ".mid", ".MIDI",
      ".midi", ".MPA", ".mpa", ".WMA", ".wma", ".AMR", ".amr", ".RA",  ".ra",  ".RAM", ".ram",
      ".M3U", ".m3u", ".IFF", ".iff", ".AIF", ".aif", ".AAC", ".aac"},
     {}},
    {"Video File",
     {".AVI", ".avi", ".MOV", ".mov", ".MKV", ".mkv", ".FLV", ".flv", ".ASX", ".asx", ".ASF",
      ".asf", ".3GP", ".3gp", ".3G2", ".3g2", ".MP4", ".mp4", ".MPG", ".mpg", ".SWF", ".swf",
      ".VOB", ".vob", ".WMV", ".wmv", ".QT",  ".qt",  ".RM",  ".rm"},
     {}},
    {"C++ file", {".CPP", ".cpp"}, {".C", ".c"}},
    {"Backup File", {".BAK", ".bak", ".BUP", ".bup", ".GHO", ".gho", ".OLD", ".old", ".ORI", ".ori"}, {}},
    {"Scripting File", {".VB", ".vb"}, {".WS", ".ws"}},
    {"System File", {".LNK", ".lnk", ".SYS"}, {".sys"}},
    {"Disk File", {".ISO", ".iso", ".VCD", ".vcd"}, {}},
    {"Database File", {".MDBX", ".SQL", ".sql", ".MDB", ".mdb", ".DB", ".db"}, {".mdbx"}},
    {"Java Source Code File", {".JAVA", ".java"}, {}},
    {"Program Information File", {".PIF", ".pif"}, {}},
    {"BitTorrent File", {".TORRENT", ".torrent"}, {}},
    {"Perl Script File", {".PL", ".pl"}, {}},
    {"Temporary File", {".TMP", ".tmp"}, {}},
    {"Header file", {".H"}, {".h"}},
    {"Windows Installer Package File", {".MSI", ".msi"}, {}},
    {"Rich Text Format File", {".RTF", ".rtf"}, {}},
    {"Mail Message File", {".MSG", ".msg"}, {}},
    {"Comma Separated Values File", {".CSV", ".csv"}, {}},
    {"Data File", {".DAT", ".dat"}, {}},
    {"Dynamic Link Library File", {".DLL", ".dll"}, {}},
    {"XML File", {".XML", ".xml"}, {}},
    {"Microsoft Works Spreadsheet File", {".WKS", ".wks"}, {}},
    {"Text file", {".TXT", ".txt", ".LOG", ".log"}, {}},
    {"vCard File", {".vcf", ".VCF"}, {}},
    {"Contact File", {".contact", ".CONTACT"}, {}},
}};

bool groupMatches(const TypeGroup& group, std::string_view extension, std::string_view fileName) {
    for (std::string_view known : group.extensions)
        if (extension == known)
            return true;
    for (std::string_view ending : group.nameEndings)
        if (fileName.ends_with(ending))
            return true;
    return false;
}

} // namespace

std::string findExtension(std::string_view fileName) {
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        char c = fileName[i];
        if (c == '/' || c == '\\' || c == ' ')
            dot = std::string_view::npos;
        else if (c == '.')
            dot = i;
    }
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot));
}

std::string FileTypeDescription(std::string_view extension, std::string_view fileName) {
    std::string trimmed = trim(extension);
    if (trimmed.empty())
        return "File";
    for (const TypeGroup& group : kTypeGroups)
        if (groupMatches(group, trimmed, fileName))
            return std::string(group.description);
    return toUpperAscii(std::string_view(trimmed).substr(1)) + " File";
}

int SystemIconIndexCache::SystemIconIndex(const std::string& fileName, bool open, bool small) {
    std::string extension = findExtension(fileName);
    if (m_remembered && extension == m_lastExtension)
        return m_lastIconIndex;
    m_lastIconIndex = m_lookup.iconIndexForName(fileName, open, small);
    m_lastExtension = std::move(extension);
    m_remembered = true;
    return m_lastIconIndex;
}

} // namespace salvora
