// Parameter file of one API instance (the file named in the start record).
#ifndef QETO_GATE_PARAMS_H
#define QETO_GATE_PARAMS_H

#include <cstdint>
#include <string>
#include <vector>

namespace qeto::gate {

struct GateAddress {
    std::string text;  // as written, e.g. "tcp://127.0.0.1:8888"
    std::string host;  // without brackets for IPv6 literals
    uint16_t port = 0;
};

struct GateParams {
    std::vector<GateAddress> urls;
    std::vector<std::string> badUrls;  // entries of URL that could not be used
    std::string platformSerialNum;
    int cpuCore = -1;
    bool superLog = false;
    // Timing; optional keys, the defaults suit a counter on the local network.
    int heartbeatIntervalMs = 3000;
    int heartbeatTimeoutMs = 10000;
    int connectTimeoutMs = 3000;
    int reconnectMs = 1000;
};

enum class ParamsResult { Ok, Unreadable, NoUsableUrl };

// Parses "tcp://host:port" (host may be a bracketed IPv6 literal).
bool parseGateAddress(const std::string &text, GateAddress &out);

// Reads key=value lines; '#' or ';' at the start of a line is a comment, keys after a
// "[section]" line belong to that section and are not ours.
ParamsResult parseGateParams(const std::string &content, GateParams &out);
ParamsResult loadGateParams(const std::string &path, GateParams &out);

}  // namespace qeto::gate

#endif  // QETO_GATE_PARAMS_H
