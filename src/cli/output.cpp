// Where tavrin-cli's words go: results to standard output or a file, messages to standard error.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/commands.h"

namespace {

std::string* g_capturedOutput = nullptr;
std::string* g_capturedErrors = nullptr;

} // namespace

void CaptureOutput(std::string* output, std::string* errors) {
    g_capturedOutput = output;
    g_capturedErrors = errors;
}

int Fail(int status, const std::string& text) {
    const std::string line = "tavrin-cli: " + Printable(text) + "\n";
    if (g_capturedErrors)
        *g_capturedErrors += line;
    else
        std::cerr << line << std::flush;
    return status;
}

int Output::Open(const std::string& path, bool force) {
    path_ = path.empty() || path == "-" ? ResString(IDS_CLI_STANDARD_OUTPUT) : path;
    captured_ = (path.empty() || path == "-") && g_capturedOutput;
    status_ = kExitOk;
    if (!captured_ && !file_.Open(path.empty() ? "-" : path, SafeWriteOptions{force}))
        return Failed();
    return kExitOk;
}

int Output::Write(std::string_view text) {
    if (status_ != kExitOk)
        return status_;
    if (captured_)
        g_capturedOutput->append(text);
    else if (!file_.Write(text))
        return Failed();
    return kExitOk;
}

int Output::Finish() {
    if (status_ != kExitOk || captured_)
        return status_;
    if (!file_.Commit())
        return Failed();
    if (file_.LinksSplit())
        Fail(kExitOk, LinksSplitText(path_));
    return kExitOk;
}

int Output::Failed() {
    const int error = file_.Error();
    file_.Abandon();
    status_ = Fail(kExitFailure, OutputErrorText(path_, error));
    return status_;
}

std::string OutputErrorText(const std::string& path, int error) {
    return error == kWriteReadOnly ? FormatText(LoadResString(IDS_FILE_WRITE_ERROR), path.c_str(),
                                                ResString(IDS_CLI_READ_ONLY).c_str())
                                   : WriteErrorText(path, error);
}

int WriteOutput(const std::string& path, const std::string& text, bool force) {
    Output out;
    if (const int status = out.Open(path, force))
        return status;
    if (const int status = out.Write(text))
        return status;
    return out.Finish();
}

std::string InputFileProblem(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(st))
        return FormatText(ResString(IDS_CLI_NO_SUCH_FILE).c_str(), path.c_str());
    if (std::filesystem::is_directory(st))
        return FormatText(ResString(IDS_CLI_IS_A_DIRECTORY).c_str(), path.c_str());
    if (!std::filesystem::is_regular_file(st))
        return FormatText(ResString(IDS_CLI_NOT_A_REGULAR_FILE).c_str(), path.c_str());
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return {};
    }
    const int error = errno;
    return FormatText(ResString(IDS_CLI_CANNOT_READ).c_str(), path.c_str(), std::strerror(error));
}
