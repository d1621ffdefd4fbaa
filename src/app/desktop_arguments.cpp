// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_arguments.h"

#include "base/text.h"

namespace salvora {

std::string commandLineArgument(std::string_view raw) {
    std::string text = trim(raw);
    if (!text.empty() && text.front() == '"')
        text.erase(0, 1);
    if (!text.empty() && text.back() == '"')
        text.pop_back();
    return text;
}

namespace {

// "--image=FILE" or "--image FILE": the value, consuming the next argument when needed.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view option,
               std::string& value, std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > option.size() && arg.compare(0, option.size(), option) == 0 &&
        arg[option.size()] == '=') {
        value = arg.substr(option.size() + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        error = std::string(option) + " needs a file name";
        return false;
    }
    if (value.empty()) {
        error = std::string(option) + " needs a file name";
        return false;
    }
    return true;
}

bool isOption(std::string_view arg, std::string_view option) {
    return arg == option || (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
                             arg[option.size()] == '=');
}

} // namespace

DesktopArguments parseDesktopArguments(const std::vector<std::string>& args) {
    DesktopArguments result;
    std::string raw;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && isOption(arg, "--image")) {
            if (takeValue(args, i, "--image", value, result.error))
                result.diskImages.push_back(value);
        } else if (!optionsEnded && isOption(arg, "--volume-image")) {
            if (takeValue(args, i, "--volume-image", value, result.error))
                result.volumeImages.push_back(value);
        } else if (!optionsEnded && arg == "--no-devices") {
            result.noDevices = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            result.help = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.starts_with("--")) {
            result.error = "unknown option " + arg;
        } else {
            raw += raw.empty() ? arg : " " + arg;
        }
    }
    result.logArgument = commandLineArgument(raw);
    return result;
}

std::string desktopUsage() {
    return "usage: quillwort-salvora [--image FILE]... [--volume-image FILE]... [--no-devices] [LOG.SLV]\n"
           "  --image FILE         attach a whole-disk image as a removable physical disk\n"
           "  --volume-image FILE  attach the image of one volume as a removable logical drive\n"
           "  --no-devices         list attached images only, not the system's removable devices\n"
           "  LOG.SLV              a recovery log to open in the Basic or Deep Search window\n";
}

} // namespace salvora
