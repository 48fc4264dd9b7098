// Feeds arbitrary bytes as the parameter file to the key=value reader's parsing step, then
// looks up the keys a login needs with the process-ending path replaced by a recorder.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "utils/config_param_reader.h"

namespace {

int gExits = 0;
void recordExit(int) { ++gExits; }

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    ConfigParamReader::setExitFunction(recordExit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    ConfigParamReader reader;
    std::istringstream in(text);
    reader.parse(in);
    for (const auto &entry : reader.params()) {
        const std::string &full = entry.first;
        const std::string &value = entry.second;
        check(full.find('/') != std::string::npos);
        check(full.find('\n') == std::string::npos && value.find('\n') == std::string::npos);
        check(value.empty() || (!blank(value.front()) && !blank(value.back())));
        check(!blank(full.front()) && !blank(full.back()));
    }

    // Parsing again from scratch yields the same map.
    const auto first = reader.params();
    std::istringstream again(text);
    reader.parse(again);
    check(reader.params() == first);

    for (const char *key : {"URL", "PlatformSerialNum", "CpuCore", "SuperLog", "PcPrefix"}) {
        gExits = 0;
        const auto it = first.find(std::string("/") + key);
        const std::string &value = reader.getValue(key);
        if (it != first.end())
            check(value == it->second && gExits == 0);
        else
            check(value.empty() && gExits == (std::string(key) == "PcPrefix" ? 0 : 1));
        (void)std::atoi(value.c_str());
    }
    return 0;
}
