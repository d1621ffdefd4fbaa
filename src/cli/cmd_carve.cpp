// SPDX-License-Identifier: GPL-3.0-or-later
// salvora photo|signature|video TARGET --out DIR: carve files by their signatures out of a sector range,
// into DIR/Quillwort Salvora/<mode> Search/General|Omitted/<type>/, with progress on stderr and a summary of
// what was found per type at the end.
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <ostream>
#include <unistd.h>

#include "app/targets.h"
#include "base/size_text.h"
#include "base/text.h"
#include "carving/carve_modes.h"
#include "carving/carving_scan.h"
#include "carving/data_files.h"
#include "cli/command_target.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"

namespace salvora::cli {
namespace {

constexpr const char* kNoTypeChecked =
    "Please select at least one Extension type to continue recovery process?";

SearchMode searchModeOf(CarveMode mode) {
    switch (mode) {
    case CarveMode::Photo:
        return SearchMode::Photo;
    case CarveMode::Signature:
        return SearchMode::Signature;
    case CarveMode::Video:
        return SearchMode::Video;
    }
    return SearchMode::Photo;
}

// Messages go to stderr; the medium-removed question is answered by --on-read-error, or asked on the
// terminal when that is "ask" and there is one.
class CarvePrompter final : public StderrPrompter {
public:
    CarvePrompter(std::ostream& err, TerminalProgress& progress, std::string onReadError)
        : StderrPrompter(err, progress), m_onReadError(std::move(onReadError)) {}
    MediumRemovedAnswer askMediumRemoved() override {
        m_progress.finish();
        m_err << MediumRemovedTexts::heading << "\n"
              << MediumRemovedTexts::body << "\n"
              << MediumRemovedTexts::advice << "\n";
        std::string choice = m_onReadError;
        if (choice == "ask") {
            if (isatty(STDIN_FILENO) == 0) {
                m_err << "(no terminal to ask: " << MediumRemovedTexts::cancelButton << ")\n";
                choice = "cancel";
            } else {
                m_err << "[c] " << MediumRemovedTexts::cancelButton << "  [r] "
                      << MediumRemovedTexts::retryButton << "  [a] " << MediumRemovedTexts::retryButton
                      << " (" << MediumRemovedTexts::applyAlways << ")? ";
                std::string line;
                if (!std::getline(std::cin, line))
                    line = "c";
                line = trim(line);
                choice = line == "r" ? "retry" : line == "a" ? "retry-all" : "cancel";
            }
        }
        if (choice == "retry")
            return {false, 1};
        if (choice == "retry-all")
            return {false, 5};
        return {true, 0};
    }

private:
    std::string m_onReadError;
};

// Per type and pass: files found. Passes are 0 (General) and 1 (Omitted).
using TypeCounts = std::map<std::string, std::array<std::uint64_t, 2>>;

bool isOmitted(const std::string& savedPath) {
    return savedPath.find("/Omitted/") != std::string::npos;
}

class TerminalCarveView final : public CarveView {
public:
    explicit TerminalCarveView(TerminalProgress& progress) : m_progress(progress) {}
    void setBasisText(const std::string& text) override {
        std::string status = text;
        if (status.size() > 2 && status.front() == '(' && status.back() == ')')
            status = status.substr(1, status.size() - 2);
        m_progress.setStatus(status);
    }
    void progressSetup(std::uint64_t startSector, std::uint64_t endSector, std::uint64_t) override {
        m_progress.setRange(startSector, endSector + 1);
    }
    void progressStep(std::uint64_t nextSector) override { m_progress.setPosition(nextSector); }
    void AddThumbnail(std::span<const std::byte>, const std::string& name, const std::string& path) override {
        std::size_t dot = name.rfind('.');
        ++counts[toUpperAscii(dot == std::string::npos ? std::string() : name.substr(dot + 1))]
                [isOmitted(path)];
    }
    void AppendRecoveredFile(const std::string& extension, const std::string&,
                             const std::string& path) override {
        ++counts[extension][isOmitted(path)];
    }
    TypeCounts counts;

private:
    TerminalProgress& m_progress;
};

// "START-END", both decimal sector numbers.
bool parseRange(const std::string& text, std::uint64_t& start, std::uint64_t& end) {
    std::size_t dash = text.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 >= text.size())
        return false;
    try {
        std::size_t used = 0;
        start = std::stoull(text.substr(0, dash), &used);
        if (used != dash)
            return false;
        end = std::stoull(text.substr(dash + 1), &used);
        return used == text.size() - dash - 1;
    } catch (const std::exception&) {
        return false;
    }
}

// Checks the chooser rows named on the command line and no others; the unknown names, if any.
std::vector<std::string> checkNamedTypes(TypeChooser& chooser, const std::string& commaList) {
    std::vector<std::string> names;
    for (std::size_t from = 0; from <= commaList.size();) {
        std::size_t comma = std::min(commaList.find(',', from), commaList.size());
        if (comma > from)
            names.push_back(commaList.substr(from, comma - from));
        from = comma + 1;
    }
    std::vector<std::string> unknown;
    chooser.checkAll(false);
    for (const std::string& name : names) {
        std::string bare = trim(name);
        if (!bare.empty() && bare.front() == '.')
            bare.erase(0, 1);
        if (TypeChooserRow* row = chooser.find(bare))
            row->checked = true;
        else
            unknown.push_back(name);
    }
    return unknown;
}

void printTypeRows(const TypeChooser& chooser, std::ostream& out) {
    std::size_t width = 9;
    for (const TypeChooserRow& row : chooser.rows)
        width = std::max(width, row.extension.size());
    out << std::left << std::setw(static_cast<int>(width + 2)) << "Extension"
        << "Description\n";
    for (const TypeChooserRow& row : chooser.rows)
        out << std::left << std::setw(static_cast<int>(width + 2)) << row.extension << row.description
            << "\n";
}

void printSummary(const TypeCounts& counts, const CarveScanOutcome& outcome, const std::string& folder,
                  double seconds, std::ostream& out) {
    std::uint64_t general = 0;
    std::uint64_t omitted = 0;
    out << std::left << std::setw(10) << "Type" << std::right << std::setw(10) << "General" << std::setw(10)
        << "Omitted"
        << "\n";
    for (const auto& [type, found] : counts) {
        out << std::left << std::setw(10) << type << std::right << std::setw(10) << found[0] << std::setw(10)
            << found[1] << "\n";
        general += found[0];
        omitted += found[1];
    }
    out << std::left << std::setw(10) << "Total" << std::right << std::setw(10) << general << std::setw(10)
        << omitted << "\n";
    out << "Files saved in: " << folder << "\n";
    double rate = seconds > 0 ? static_cast<double>(outcome.bytesRead) / seconds : 0;
    out << "Read " << trim(FormatSize(outcome.bytesRead)) << " in " << std::fixed << std::setprecision(1)
        << seconds << " s (" << trim(FormatSize(static_cast<std::uint64_t>(rate))) << "/s)\n";
    if (outcome.filesFailed > 0)
        out << outcome.filesFailed << " file(s) could not be written; first: " << outcome.firstWriteError
            << "\n";
}

// The range to carve: --range when given, else the whole target (a whole disk from its first sector).
Result<std::pair<std::uint64_t, std::uint64_t>> carveRange(Session& session, const Target& target,
                                                           const SelectedVolume& selection,
                                                           const std::string& rangeText) {
    std::uint64_t start = selection.start;
    std::uint64_t end = selection.end;
    if (target.kind == Target::Kind::WholeDisk) {
        auto medium = session.devices.resolve(selection.devicePath);
        auto size = medium ? medium->size() : std::nullopt;
        if (!size || *size < 512)
            return makeError(ErrorKind::IoFailure, "cannot tell the size of " + targetText(target));
        start = 0;
        end = *size / 512 - 1;
    }
    if (!rangeText.empty() && !parseRange(rangeText, start, end))
        return makeError(ErrorKind::InvalidInput,
                         "invalid --range '" + rangeText + "': use START-END in sectors");
    return std::make_pair(start, end);
}

} // namespace

int runCarve(Session& session, CarveMode mode, const CarveOptions& options, OutputStreams streams) {
    TerminalProgress progress(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    CarvePrompter prompter(streams.err, progress, options.onReadError);
    CarvingState& state = session.carving;
    // The data files lie beside the executable.
    const std::string dataDirectory = executableDirectory();

    // A data file that cannot be read ends the program, with status 0, as it always has.
    auto fatal = [&](const std::string& message) {
        prompter.informFatal(message);
        return kExitOk;
    };
    if (std::string message = CheckSignatureFiles(dataDirectory); !message.empty())
        return fatal(message);

    if (mode == CarveMode::Photo) {
        if (auto loaded = loadPhotoTypes(state, dataDirectory); !loaded)
            return fatal(loaded.error().message);
    } else {
        if (auto filled = fillModeTypeChooser(state, dataDirectory, mode); !filled)
            return fatal(filled.error().message);
        if (options.listTypes) {
            printTypeRows(state.typeChooser, streams.out);
            return kExitOk;
        }
        if (!options.types.empty()) {
            auto unknown = checkNamedTypes(state.typeChooser, options.types);
            if (!unknown.empty()) {
                streams.err << "salvora: unknown type '" << unknown.front() << "'; 'salvora "
                            << carveModeWord(mode) << " --list-types' shows them\n";
                return kExitUsage;
            }
        }
    }

    if (options.target.empty() || options.out.empty()) {
        streams.err << "salvora: TARGET and --out DIR are needed\n";
        return kExitUsage;
    }
    auto chosen = selectCommandTarget(session, options.target, searchModeOf(mode), streams.err);
    if (const int* exitCode = std::get_if<int>(&chosen))
        return *exitCode;
    const auto& [target, selection] = std::get<CommandTarget>(chosen);
    auto range = carveRange(session, target, selection, options.range);
    if (!range) {
        streams.err << "salvora: " << range.error().message << "\n";
        return range.error().kind == ErrorKind::InvalidInput ? kExitUsage : kExitFailure;
    }
    std::error_code error;
    std::filesystem::create_directories(options.out, error);
    if (!std::filesystem::is_directory(options.out)) {
        streams.err << "salvora: cannot use " << options.out << " as the destination folder\n";
        return kExitFailure;
    }

    if (mode != CarveMode::Photo) {
        if (!fillTypeResultsTable(state)) {
            streams.err << kNoTypeChecked << "\n";
            return kExitFailure;
        }
        if (auto loaded = loadPrimaryCheckedTypes(state, dataDirectory, mode); !loaded)
            return fatal(loaded.error().message);
        state.GeneralFoundCount = 0;
        state.recoveredFiles.clear();
        state.SignatureStop = false;
        state.SignatureRunning = true;
    } else {
        state.PhotoStop = false;
    }

    CarveScanRequest request;
    request.mode = mode;
    request.devicePath = session.CurrentDevicePath;
    request.startSector = range->first;
    request.endSector = range->second;
    request.destination = options.out;
    request.thorough = !options.noThorough;
    request.dataDirectory = dataDirectory;

    TerminalCarveView view(progress);
    const auto started = std::chrono::steady_clock::now();
    CarveScanOutcome outcome;
    {
        StopOnInterrupt interrupt(mode == CarveMode::Photo ? state.PhotoStop : state.SignatureStop);
        outcome = RunCarvingScan(state, session.devices, request, view, prompter);
    }
    state.SignatureRunning = false;
    progress.finish();
    if (!outcome.fatalMessage.empty())
        return fatal(outcome.fatalMessage);
    if (!outcome.ran)
        return kExitFailure;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printSummary(view.counts, outcome, modeOutputFolder(options.out, mode), seconds, streams.out);
    if (outcome.destinationFull) {
        streams.err << "salvora: the destination is full; carving stopped\n";
        return kExitFailure;
    }
    if (outcome.stopped)
        streams.err << "salvora: stopped; the files found so far are saved\n";
    return kExitOk;
}

} // namespace salvora::cli
