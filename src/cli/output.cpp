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

std::string Printable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t n = 1;
        if (c >= 0x80) {
            n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            if (i + n > text.size() || !IsValidUtf8(text.data() + i, n))
                n = 0;
        } else if (c < 0x20 || c == 0x7F) {
            n = 0;
        }
        if (n == 0) {
            // A byte that would garble the terminal or the line: shown, not sent.
            out += FormatText("\\x%02X", c);
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

int Fail(int status, const std::string& text) {
    const std::string line = "tavrin-cli: " + Printable(text) + "\n";
    if (g_capturedErrors)
        *g_capturedErrors += line;
    else
        std::cerr << line << std::flush;
    return status;
}

int WriteOutput(const std::string& path, const std::string& text) {
    if (path.empty() && g_capturedOutput) {
        *g_capturedOutput += text;
        return kExitOk;
    }
    int error = 0;
    if (!WriteFileSafely(path.empty() ? "-" : path, text, &error))
        return Fail(
            kExitFailure,
            WriteErrorText(path.empty() || path == "-" ? ResString(IDS_CLI_STANDARD_OUTPUT) : path, error));
    return kExitOk;
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
