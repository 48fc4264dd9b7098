#include "utils/config_param_reader.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#ifdef _WIN32
#include <filesystem>
#endif
#include <istream>
#include <sstream>

#include "utils/immediate_exit.h"

namespace {

// Runs on the login thread while the GUI thread goes on: static destructors must not run
// under its feet, so the process ends without them once the messages are out.
void endProcess(int status) { qeto::immediateExit(status); }

std::atomic<ConfigParamReader::ExitFunction> gExit{&endProcess};

void endOnBrokenConfig() {
    std::fflush(stdout);
    gExit.load()(ConfigParamReader::kExitStatus);
}

std::string trim(const std::string &s) {
    static const char kBlank[] = " \t\r\n";
    const std::string::size_type first = s.find_first_not_of(kBlank);
    if (first == std::string::npos) return std::string();
    const std::string::size_type last = s.find_last_not_of(kBlank);
    return s.substr(first, last - first + 1);
}

}  // namespace

ConfigParamReader::ExitFunction ConfigParamReader::setExitFunction(ExitFunction fn) {
    return gExit.exchange(fn ? fn : &endProcess);
}

int ConfigParamReader::load(const std::string &path) {
#ifdef _WIN32
    // The path comes as UTF-8; a narrow open would read it in the ANSI code page and miss any
    // folder named in Chinese.
    std::ifstream in(std::filesystem::u8path(path), std::ios::in | std::ios::binary);
#else
    std::ifstream in(path, std::ios::in | std::ios::binary);
#endif
    if (!in.is_open()) {
        std::printf("config param file not exist,path [%s]\n", path.c_str());
        endOnBrokenConfig();
        return 0;
    }
    // A parameter file is a few lines: a huge one (or a device that never ends) is read no
    // further than kMaxFileBytes.
    std::string head(static_cast<size_t>(kMaxFileBytes), '\0');
    in.read(&head[0], kMaxFileBytes);
    head.resize(static_cast<size_t>(in.gcount()));
    std::istringstream text(head);
    parse(text);
    return 1;
}

void ConfigParamReader::parse(std::istream &in) {
    mParams.clear();
    std::string section;
    std::string line;
    while (std::getline(in, line, '\n')) {
        if (line.empty()) continue;
        const char first = line[0];
        if (first == '#' || first == ';') continue;
        if (first == '[') {
            const std::string::size_type close = line.find(']');
            const std::string inner = close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
            section = trim(inner);
            continue;
        }
        std::string key;
        std::string value;
        const std::string::size_type eq = line.find('=');
        if (eq == std::string::npos) {
            key = trim(line);
            value = key;
        } else {
            key = trim(line.substr(0, eq));
            value = trim(line.substr(eq + 1));
        }
        mParams[section + "/" + key] = value;
    }
}

const std::string &ConfigParamReader::getValue(const std::string &key) {
    const auto it = mParams.find("/" + key);
    if (it != mParams.end()) return it->second;
    if (key != "PcPrefix") {
        std::printf("key [%s] not exist\n", key.c_str());
        endOnBrokenConfig();
    }
    mEmpty.clear();
    return mEmpty;
}
