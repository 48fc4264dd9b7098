// Reader of the gateway parameter file (key=value lines, optional [section] lines),
// used on the login thread. Missing file or mandatory key ends the process.
#ifndef QETO_CONFIG_PARAM_READER_H
#define QETO_CONFIG_PARAM_READER_H

#include <iosfwd>
#include <map>
#include <string>

class ConfigParamReader {
public:
    using ExitFunction = void (*)(int status);

    // Clears the map and parses the file (its first kMaxFileBytes); 1 on success. An unopenable file prints a
    // message on standard output and ends the process.
    int load(const std::string &path);
    // The parsing step of load() on its own: clears the map and reads the lines of `in`.
    // Never ends the process.
    void parse(std::istream &in);
    // Value of "/" + key. An absent key other than "PcPrefix" prints a message on
    // standard output and ends the process.
    const std::string &getValue(const std::string &key);

    const std::map<std::string, std::string> &params() const { return mParams; }

    // Bytes of the file that load() reads; the rest of a larger file is ignored.
    static constexpr long kMaxFileBytes = 4 << 20;
    // Status the process ends with when the parameter file is unusable.
    static constexpr int kExitStatus = 1;
    // Replaces the function that ends the process (tests); null restores the default.
    // Returns the previous one. If the replacement returns, load() returns 0 and
    // getValue() returns an empty string.
    static ExitFunction setExitFunction(ExitFunction fn);

private:
    std::map<std::string, std::string> mParams;
    std::string mEmpty;
};

#endif  // QETO_CONFIG_PARAM_READER_H
