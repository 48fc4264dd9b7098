#include "sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

namespace qeto::test {

namespace {

std::vector<std::string> commandLine(const std::string &program, const std::vector<std::string> &args) {
    std::vector<std::string> all{program, "--counter-port", "0", "--md-port", "0"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

}  // namespace

std::string simPath() {
    const char *env = std::getenv("QETO_SIM");
    for (const std::string &path : {std::string(env ? env : ""), std::string(QETO_SIM_PATH)})
        if (!path.empty() && std::ifstream(path).good()) return path;
    return {};
}

SimProcess::~SimProcess() {
    stop();
#ifndef _WIN32
    if (mErr >= 0) ::close(mErr);
#endif
}

bool SimProcess::readPortLine(std::string *error) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        char c = 0;
#ifdef _WIN32
        DWORD avail = 0, n = 0;
        if (!PeekNamedPipe(mStdout, nullptr, 0, nullptr, &avail, nullptr)) break;  // it ended
        if (avail == 0) {
            Sleep(20);
            continue;
        }
        if (!ReadFile(mStdout, &c, 1, &n, nullptr) || n != 1) break;
#else
        pollfd p{mOut, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        if (::read(mOut, &c, 1) != 1) break;
#endif
        line += c;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    mPortLine = line;
    unsigned counter = 0, md = 0;
    if (std::sscanf(line.c_str(), "counter_port=%u md_port=%u", &counter, &md) != 2) {
        if (error) *error = "qeto-sim said '" + line + "' (" + errors() + ")";
        return false;
    }
    counterPort = static_cast<uint16_t>(counter);
    mdPort = static_cast<uint16_t>(md);
    return true;
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string &s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Every simulator joins one job that is killed when this process's last handle to it closes,
// which the system does when the process ends in any way.
HANDLE ownerJob() {
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (j) SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        return j;
    }();
    return job;
}

}  // namespace

bool SimProcess::start(const std::string &program, const std::vector<std::string> &args, std::string *error, long) {
    stop();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr, err = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0) || !CreatePipe(&outRead, &outWrite, &inherit, 0)) return false;
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &err, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    // A console program has no window to close: end of input on its stdin tells it to quit.
    std::vector<std::string> all = commandLine(program, args);
    all.insert(all.begin() + 1, "--control-stdin");
    std::wstring cmd;
    for (const std::string &a : all) cmd += (cmd.empty() ? L"\"" : L" \"") + wide(a) + L"\"";  // none holds a quote
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = err;
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessW(wide(program).c_str(), cmd.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    const DWORD why = GetLastError();
    CloseHandle(inRead);
    CloseHandle(outWrite);
    if (err) CloseHandle(err);
    if (!started) {
        CloseHandle(inWrite);
        CloseHandle(outRead);
        if (error) *error = "qeto-sim did not start: error " + std::to_string(why);
        return false;
    }
    // In the job before it runs at all, so that it cannot outlive this process.
    if (HANDLE job = ownerJob()) AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    mProcess = pi.hProcess;
    mStdin = inWrite;
    mStdout = outRead;
    if (!readPortLine(error)) {
        stop();
        return false;
    }
    mDrain = std::thread([out = mStdout] {
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(out, buf, sizeof buf, &n, nullptr) && n > 0) {
        }
    });
    return true;
}

void SimProcess::dropConnections() {
    DWORD n = 0;
    if (mStdin) WriteFile(mStdin, "drop\n", 5, &n, nullptr);
}

int SimProcess::stop() {
    if (!mProcess) return 0;
    CloseHandle(mStdin);
    mStdin = nullptr;
    if (WaitForSingleObject(mProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(mProcess, 1);
        WaitForSingleObject(mProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(mProcess, &code);
    if (mDrain.joinable()) mDrain.join();
    CloseHandle(mStdout);
    CloseHandle(mProcess);
    mStdout = mProcess = nullptr;
    return static_cast<int>(code);
}

bool SimProcess::running() const { return mProcess && WaitForSingleObject(mProcess, 0) == WAIT_TIMEOUT; }

std::string SimProcess::errors() const { return {}; }

#else  // POSIX

bool SimProcess::start(const std::string &program, const std::vector<std::string> &args, std::string *error,
                       long maxFiles) {
    stop();
    if (mErr >= 0) ::close(mErr);
    char errPath[] = "/tmp/qeto-sim-stderr.XXXXXX";
    mErr = ::mkstemp(errPath);
    if (mErr >= 0) {
        ::unlink(errPath);  // gone with the last descriptor, even after a crash
        ::fcntl(mErr, F_SETFD, FD_CLOEXEC);
    }
    int out[2];
    if (mErr < 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        if (error) *error = "no file or pipe for qeto-sim";
        return false;
    }
    std::vector<std::string> all = commandLine(program, args);
    std::vector<char *> argv;
    for (auto &a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
#ifdef __linux__
        // Ends with the thread that started it, however that ends: start it from one that
        // lives as long as the simulator is needed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
#endif
        if (maxFiles > 0) {
            const rlimit rl{static_cast<rlim_t>(maxFiles), static_cast<rlim_t>(maxFiles)};
            ::setrlimit(RLIMIT_NOFILE, &rl);
        }
        ::dup2(out[1], 1);
        ::dup2(mErr, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    mOut = out[0];
    mPid = pid;
    if (pid < 0 || !readPortLine(error)) {
        if (pid < 0 && error) *error = "qeto-sim did not start: no fork";
        stop();
        return false;
    }
    mDrain = std::thread([fd = mOut] {
        char buf[4096];
        while (::read(fd, buf, sizeof buf) > 0) {
        }
    });
    return true;
}

void SimProcess::reap(int status) {
    mStatus = status;
    mExited = false;
    mPid = -1;
    if (mDrain.joinable()) mDrain.join();
    if (mOut >= 0) ::close(mOut);
    mOut = -1;
}

void SimProcess::dropConnections() { signal(SIGUSR1); }

void SimProcess::signal(int sig) {
    if (mPid > 0 && !mExited) ::kill(static_cast<pid_t>(mPid), sig);
}

int SimProcess::stop(int sig) {
    if (mPid <= 0 || mExited) return stop();
    ::kill(static_cast<pid_t>(mPid), sig);
    int status = 0;
    ::waitpid(static_cast<pid_t>(mPid), &status, 0);
    reap(status);
    return status;
}

int SimProcess::stop() {
    if (mPid <= 0 || mExited) {
        reap(mStatus);
        return mStatus;
    }
    const auto pid = static_cast<pid_t>(mPid);
    ::kill(pid, SIGTERM);
    int status = 0;
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!gone) ::poll(nullptr, 0, 25);
    }
    if (!gone) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    reap(status);
    return status;
}

bool SimProcess::running() const {
    if (mPid <= 0 || mExited) return false;
    mExited = ::waitpid(static_cast<pid_t>(mPid), &mStatus, WNOHANG) == mPid;
    return !mExited;
}

std::string SimProcess::errors() const {
    struct stat st {};
    if (mErr < 0 || ::fstat(mErr, &st) != 0) return {};
    std::string text(static_cast<size_t>(st.st_size), '\0');
    const ssize_t n = ::pread(mErr, text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

long SimProcess::rssKb() const {
    std::ifstream f("/proc/" + std::to_string(mPid) + "/status");
    long kb = -1;
    for (std::string line; std::getline(f, line);)
        if (std::sscanf(line.c_str(), "VmRSS: %ld", &kb) == 1) break;
    return kb;
}

long SimProcess::cpuTicks() const {
    std::ifstream f("/proc/" + std::to_string(mPid) + "/stat");
    const std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto name = all.rfind(')');  // the name may hold spaces and parentheses
    long utime = 0, stime = 0;
    // After the name: the state, ten counters, then user and system time.
    if (name == std::string::npos ||
        std::sscanf(all.c_str() + name + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime) !=
            2)
        return -1;
    return utime + stime;
}

#endif

}  // namespace qeto::test
