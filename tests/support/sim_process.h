// qeto-sim as a child process for suites, benchmarks and the walkthrough: free ports unless told
// otherwise, the port line read back, standard error kept for the test to read, and the
// simulator ended with its parent however that ends (a crash or a kill included).
#ifndef QETO_TEST_SIM_PROCESS_H
#define QETO_TEST_SIM_PROCESS_H

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace qeto::test {

// The simulator to run: $QETO_SIM, else the one this tree built; empty when neither exists.
std::string simPath();

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Runs `program --counter-port 0 --md-port 0 args...` (later ports in args win) and waits
    // for its port line. maxFiles > 0: the child may hold that many descriptors at most
    // (POSIX). On failure returns false with what went wrong in *error.
    bool start(const std::string &program, const std::vector<std::string> &args, std::string *error = nullptr,
               long maxFiles = 0);
    // Drops every client connection (SIGUSR1; on Windows "drop" on its standard input).
    void dropConnections();
    // Ends it politely, then by force; its wait status (POSIX) or exit code.
    int stop();
    bool running() const;
    const std::string &portLine() const { return mPortLine; }
    // What it wrote on standard error so far (POSIX; empty on Windows, where it is inherited).
    std::string errors() const;

#ifndef _WIN32
    // Signals it and waits for it; its wait status.
    int stop(int sig);
    void signal(int sig);
    long pid() const { return mPid; }
    // VmRSS in KiB and user plus system CPU time in clock ticks, from /proc; -1 when unknown.
    long rssKb() const;
    long cpuTicks() const;
#endif

    uint16_t counterPort = 0;
    uint16_t mdPort = 0;

private:
    bool readPortLine(std::string *error);

    std::string mPortLine;
    std::thread mDrain;  // keeps reading stdout so that the child never blocks on a full pipe
#ifdef _WIN32
    void *mProcess = nullptr;
    void *mStdin = nullptr;
    void *mStdout = nullptr;
#else
    void reap(int status);
    long mPid = -1;
    int mOut = -1;
    int mErr = -1;                 // an unlinked file the child's stderr goes to
    mutable bool mExited = false;  // reaped by running(); its status kept
    mutable int mStatus = 0;
#endif
};

}  // namespace qeto::test

#endif  // QETO_TEST_SIM_PROCESS_H
