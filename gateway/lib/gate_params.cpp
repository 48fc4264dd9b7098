#include "gate_params.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "gate_platform.h"

namespace qeto::gate {

namespace {

std::string trim(const std::string &s) {
    const char *ws = " \t\r\n";
    const auto b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

// Whole-string integer; anything else keeps the default.
bool toInt(const std::string &s, int &out) {
    if (s.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

void toPositive(const std::string &s, int &out, int lo, int hi) {
    int v = 0;
    if (toInt(s, v) && v >= lo && v <= hi) out = v;
}

}  // namespace

bool parseGateAddress(const std::string &raw, GateAddress &out) {
    const std::string text = trim(raw);
    static const std::string scheme = "tcp://";
    if (text.size() <= scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != scheme[i]) return false;
    }
    std::string rest = text.substr(scheme.size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host;
    std::string port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string::npos || rest.find(':') != colon) return false;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    int p = 0;
    if (host.empty() || host.find_first_of(" \t/") != std::string::npos || !toInt(port, p) || p < 1 || p > 65535)
        return false;
    out.text = text;
    out.host = host;
    out.port = static_cast<uint16_t>(p);
    return true;
}

ParamsResult parseGateParams(const std::string &content, GateParams &out) {
    out = GateParams{};
    std::istringstream in(content);
    std::string line;
    std::string url;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') continue;
        if (t[0] == '[') {
            inSection = true;
            continue;
        }
        if (inSection) continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trim(t.substr(0, eq));
        const std::string value = trim(t.substr(eq + 1));
        if (key == "URL")
            url = value;
        else if (key == "PlatformSerialNum")
            out.platformSerialNum = value;
        else if (key == "CpuCore")
            toInt(value, out.cpuCore);
        else if (key == "SuperLog")
            out.superLog = value == "1";
        else if (key == "HeartbeatIntervalMs")
            toPositive(value, out.heartbeatIntervalMs, 10, 3600000);
        else if (key == "HeartbeatTimeoutMs")
            toPositive(value, out.heartbeatTimeoutMs, 10, 3600000);
        else if (key == "ConnectTimeoutMs")
            toPositive(value, out.connectTimeoutMs, 10, 3600000);
        else if (key == "ReconnectIntervalMs")
            toPositive(value, out.reconnectMs, 10, 3600000);
    }

    size_t pos = 0;
    while (pos <= url.size()) {
        auto next = url.find(';', pos);
        if (next == std::string::npos) next = url.size();
        const std::string part = trim(url.substr(pos, next - pos));
        if (!part.empty()) {
            GateAddress a;
            if (parseGateAddress(part, a))
                out.urls.push_back(a);
            else
                out.badUrls.push_back(part);
        }
        pos = next + 1;
    }
    return out.urls.empty() ? ParamsResult::NoUsableUrl : ParamsResult::Ok;
}

ParamsResult loadGateParams(const std::string &path, GateParams &out) {
    if (path.empty()) return ParamsResult::Unreadable;
    std::unique_ptr<std::FILE, FileCloser> f(openUtf8ForReading(path));
    if (!f) return ParamsResult::Unreadable;
    // A parameter file is a few lines; refuse anything absurdly large instead of reading it all.
    constexpr size_t kMaxFile = 1 << 20;
    std::string content(kMaxFile, '\0');
    content.resize(std::fread(&content[0], 1, kMaxFile, f.get()));
    if (std::ferror(f.get())) return ParamsResult::Unreadable;
    return parseGateParams(content, out);
}

}  // namespace qeto::gate
