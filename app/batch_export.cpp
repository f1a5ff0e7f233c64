// Index of this file:
// [SECTION] File names
// [SECTION] Messages between the parent and its workers
// [SECTION] The worker
// [SECTION] The parent
// [SECTION] Measures on standard output
#include "app/batch_export.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <thread>
#include <utility>

#include "app/export_report.hpp"
#include "base/utf8.hpp"
#include "platform/file_writer.hpp"
#include "base/text_encoding.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_measures.hpp"
#include "report/emg_processing.hpp"

// =============================================================================
// [SECTION] File names
// =============================================================================

namespace {

// The length of the whole UTF-8 character starting at `text[i]` beyond
// ASCII, or 0 when the bytes there are not one.
std::size_t utf8_character_length(std::string_view text, std::size_t i)
{
    const std::size_t length = utf8_decode(text, i);
    return length > 1 ? length : 0;
}

bool is_ascii_alnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr std::size_t safe_name_limit = 64;

}  // namespace

std::string batch_export_safe_name(std::string_view name)
{
    std::string safe;
    bool gap = false;  // a run of other characters waits to become one "-"
    for (std::size_t i = 0; i < name.size();) {
        std::size_t take = is_ascii_alnum(name[i]) ? 1 : utf8_character_length(name, i);
        if (take == 0) {
            gap = true;
            ++i;
            continue;
        }
        const std::size_t needed = take + (gap && !safe.empty() ? 1 : 0);
        if (safe.size() + needed > safe_name_limit)
            break;
        if (gap && !safe.empty())
            safe += '-';
        gap = false;
        safe.append(name.substr(i, take));
        i += take;
    }
    return safe.empty() ? std::string("exercise") : safe;
}

std::vector<std::string> batch_export_stems(const std::vector<std::string>& reports, bool charts, bool tracings)
{
    // A stem owns the names starting with it and, with charts, those starting
    // with "chart_" and it (with tracings, "tracings_" and it). Two stems
    // clash when one owns a name of the other.
    std::vector<std::string> prefixes{""};
    if (charts)
        prefixes.emplace_back("chart_");
    if (tracings)
        prefixes.emplace_back("tracings_");
    std::set<std::string> taken;
    const auto free = [&](const std::string& stem) {
        return std::none_of(prefixes.begin(), prefixes.end(),
                            [&](const std::string& prefix) { return taken.contains(prefix + stem); });
    };
    const auto take = [&](const std::string& stem) {
        for (const std::string& prefix : prefixes)
            taken.insert(prefix + stem);
    };
    std::vector<std::string> stems;
    stems.reserve(reports.size());
    for (const std::string& report : reports) {
        const std::string base = std::filesystem::path(report).stem().string();
        std::string stem = base.empty() ? std::string("report") : base;
        for (int n = 2; !free(stem); ++n)
            stem = base + "-" + std::to_string(n);
        take(stem);
        stems.push_back(stem);
    }
    return stems;
}

std::string batch_export_file_name(std::string_view stem, int exercise_number, std::string_view exercise_name,
                                   std::string_view extension)
{
    std::string name(stem);
    name += '_';
    name += std::to_string(exercise_number);
    name += '_';
    name += batch_export_safe_name(exercise_name);
    name += '.';
    name += extension;
    return name;
}

int batch_export_default_jobs()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// =============================================================================
// [SECTION] Messages between the parent and its workers
// =============================================================================
//
// The parent writes the index of the next report (4 bytes) to a worker's
// task pipe and closes it when there is nothing left; the worker answers on
// its result pipe with the index, the result and where its captured output
// ends. Every read and write moves whole messages over a blocking pipe.

namespace {

bool write_all(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_all(int fd, void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

class Message {
public:
    void u32(std::uint32_t v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void i64(std::int64_t v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void text(const std::string& s)
    {
        u32(static_cast<std::uint32_t>(s.size()));
        bytes_ += s;
    }
    bool send(int fd) const
    {
        const std::uint32_t size = static_cast<std::uint32_t>(bytes_.size());
        return write_all(fd, &size, sizeof size) && write_all(fd, bytes_.data(), bytes_.size());
    }

private:
    std::string bytes_;
};

// Reads one message sent by Message::send, field by field.
class Received {
public:
    bool receive(int fd)
    {
        std::uint32_t size = 0;
        if (!read_all(fd, &size, sizeof size))
            return false;
        bytes_.assign(size, '\0');
        return read_all(fd, bytes_.data(), size);
    }
    std::uint32_t u32() { return take<std::uint32_t>(); }
    std::int64_t i64() { return take<std::int64_t>(); }
    std::string text()
    {
        const std::uint32_t size = std::min<std::uint32_t>(u32(), static_cast<std::uint32_t>(left()));
        std::string s = bytes_.substr(at_, size);
        at_ += size;
        return s;
    }

private:
    std::size_t left() const { return bytes_.size() - at_; }
    template <typename T>
    T take()
    {
        T v{};
        if (left() >= sizeof v) {
            std::memcpy(&v, bytes_.data() + at_, sizeof v);
            at_ += sizeof v;
        }
        return v;
    }
    std::string bytes_;
    std::size_t at_ = 0;
};

// What a file descriptor holds from `from` to its end (the captured console
// of a worker).
std::string read_from(int fd, std::int64_t from)
{
    std::string text;
    char buffer[4096];
    for (off_t at = static_cast<off_t>(from);;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
    return text;
}

// =============================================================================
// [SECTION] The worker
// =============================================================================

// Runs in the forked child: takes reports until the task pipe closes. The
// console (standard output and error) goes to the capture file, from which
// each report's messages are cut.
[[noreturn]] void run_worker(const ExportOptions& options, const std::vector<std::string>& stems,
                             const EmgReport* baseline, int task_fd, int result_fd, int capture_fd)
{
    ::signal(SIGPIPE, SIG_IGN);
    std::fflush(nullptr);
    ::dup2(capture_fd, STDOUT_FILENO);
    ::dup2(capture_fd, STDERR_FILENO);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    ExportViewer viewer;
    std::int64_t captured = ::lseek(capture_fd, 0, SEEK_END);
    std::uint32_t index = 0;
    while (read_all(task_fd, &index, sizeof index) && index < options.reports.size()) {
        const ExportReportResult result =
            export_report_write(&viewer, options, options.reports[index], stems[index], baseline);
        std::fflush(stdout);
        std::fflush(stderr);
        const std::string messages = read_from(capture_fd, captured);
        captured += static_cast<std::int64_t>(messages.size());

        Message m;
        m.u32(index);
        m.u32(result.ok ? 1 : 0);
        m.u32(static_cast<std::uint32_t>(result.exercises));
        m.u32(static_cast<std::uint32_t>(result.files));
        m.text(result.failure);
        m.text(messages);
        m.text(result.csv_rows);
        m.i64(captured);
        if (!m.send(result_fd))
            break;
    }
    export_report_close(&viewer);
    std::fflush(nullptr);
    std::exit(0);
}

// =============================================================================
// [SECTION] The parent
// =============================================================================

// The file descriptors of a pipe, closed with the object.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(Fd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd = std::exchange(other.fd, -1);
        }
        return *this;
    }
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

struct Worker {
    pid_t pid = -1;
    Fd tasks;    // parent writes
    Fd results;  // parent reads
    Fd capture;  // the worker's console
    std::int64_t captured = 0;  // where the messages of the worker's last result end
    int report = -1;            // the report it is working on, -1 when idle
    std::chrono::steady_clock::time_point since;  // when it was handed that report
    bool stopped = false;       // killed by the parent for its silence
};

struct Pending {
    bool done = false;
    ExportReportResult result;
};

// SIGINT and SIGTERM of the parent arrive through a file descriptor that the
// wait for results watches; the workers inherit them blocked, so that a
// Ctrl-C on the terminal's process group leaves the decision to the parent.
class Signals {
public:
    Signals()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        if (::pthread_sigmask(SIG_BLOCK, &set_, &previous_) == 0)
            fd_ = Fd(::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK));
    }
    ~Signals()
    {
        fd_.reset();
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

    int fd() const { return fd_.fd; }
    // The signal that arrived, or 0.
    int take() const
    {
        signalfd_siginfo info{};
        if (fd_.fd >= 0 && ::read(fd_.fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            return static_cast<int>(info.ssi_signo);
        return 0;
    }

private:
    sigset_t set_{};
    sigset_t previous_{};
    Fd fd_;
};

class Export {
public:
    Export(const ExportOptions& options, const EmgReport* baseline)
        : options_(options), baseline_(baseline), stems_(batch_export_stems(options.reports, options.formats.chart, options.formats.tracings)),
          results_(options.reports.size()), tries_(options.reports.size(), 0)
    {
        for (std::uint32_t i = 0; i < options.reports.size(); ++i)
            queue_.push_back(i);
    }

    int run()
    {
        std::error_code error;
        std::filesystem::create_directories(options_.directory, error);
        if (error || !std::filesystem::is_directory(options_.directory)) {
            std::fprintf(stderr, "zelto: cannot make the directory \"%s\": %s\n", options_.directory.c_str(),
                         (error ? error.message() : std::string("it is not a directory")).c_str());
            return 1;
        }
        ::signal(SIGPIPE, SIG_IGN);
        // A file-size limit makes a write fail (EFBIG) instead of ending the
        // process; the workers inherit this.
        ::signal(SIGXFSZ, SIG_IGN);
        const std::size_t count = options_.reports.size();
        const int processors = batch_export_default_jobs();
        int asked = options_.jobs > 0 ? options_.jobs : processors;
        if (asked > batch_export_jobs_per_processor * processors) {
            std::fprintf(stderr, "zelto: -j %d is more than %d per processor; %d processes are used\n", asked,
                         batch_export_jobs_per_processor, batch_export_jobs_per_processor * processors);
            asked = batch_export_jobs_per_processor * processors;
        }
        const std::size_t jobs = std::min<std::size_t>(count, static_cast<std::size_t>(asked));
        std::fflush(nullptr);
        for (std::size_t w = 0; w < jobs; ++w)
            if (!start_worker())
                break;
        if (workers_.empty()) {
            std::fprintf(stderr, "zelto: cannot start the export: %s\n", std::strerror(errno));
            return 1;
        }
        for (auto& worker : workers_)
            give_next(worker);
        while (printed_ < count && !workers_.empty())
            wait_for_results();
        // Whatever no worker could take (none could be started again) failed;
        // after a signal it was not exported, and is left out of the lines.
        for (std::size_t i = printed_; i < count; ++i)
            if (!results_[i].done && signal_ == 0)
                finish(i, failed(not_taken_));
        print_ready(true);
        // Every worker has been told there is nothing left; each ends once it
        // has released its viewer.
        for (Worker& worker : workers_) {
            worker.tasks.reset();
            int status = 0;
            while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        workers_.clear();
        const int status = summarise();
        return signal_ != 0 ? 128 + signal_ : status;
    }

private:
    static ExportReportResult failed(std::string why)
    {
        ExportReportResult r;
        r.failure = std::move(why);
        return r;
    }

    bool start_worker()
    {
        int tasks[2], results[2];
        if (::pipe2(tasks, O_CLOEXEC) != 0)
            return false;
        if (::pipe2(results, O_CLOEXEC) != 0) {
            ::close(tasks[0]);
            ::close(tasks[1]);
            return false;
        }
        Fd task_read(tasks[0]), task_write(tasks[1]), result_read(results[0]), result_write(results[1]);
        std::FILE* capture_file = std::tmpfile();
        if (capture_file == nullptr)
            return false;
        Fd capture(::dup(::fileno(capture_file)));
        std::fclose(capture_file);
        if (capture.fd < 0)
            return false;
        const pid_t pid = ::fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            // The child keeps its own ends only.
            for (Worker& other : workers_) {
                other.tasks.reset();
                other.results.reset();
                other.capture.reset();
            }
            task_write.reset();
            result_read.reset();
            run_worker(options_, stems_, baseline_, task_read.fd, result_write.fd, capture.fd);
        }
        Worker worker;
        worker.pid = pid;
        worker.tasks = std::move(task_write);
        worker.results = std::move(result_read);
        worker.capture = std::move(capture);
        workers_.push_back(std::move(worker));
        return true;
    }

    // Hands the next report to the worker, or tells it there is none left.
    // A report counts as handed over once its index is written; until then
    // it stays first in the queue.
    void give_next(Worker& worker)
    {
        worker.report = -1;
        if (queue_.empty() || signal_ != 0) {
            worker.tasks.reset();
            return;
        }
        const std::uint32_t index = queue_.front();
        if (!write_all(worker.tasks.fd, &index, sizeof index)) {
            worker.tasks.reset();  // it ended; its results pipe tells how
            return;
        }
        queue_.pop_front();
        worker.report = static_cast<int>(index);
        worker.since = std::chrono::steady_clock::now();
    }

    // Milliseconds until the first busy worker has been silent too long, or
    // -1 when none is busy.
    int poll_timeout() const
    {
        const auto now = std::chrono::steady_clock::now();
        std::int64_t shortest = -1;
        for (const Worker& worker : workers_) {
            if (worker.report < 0 || worker.stopped)
                continue;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                worker.since + std::chrono::seconds(options_.worker_timeout_s) - now).count();
            const std::int64_t ms = std::max<std::int64_t>(left, 0) + 1;
            shortest = shortest < 0 ? ms : std::min(shortest, ms);
        }
        return static_cast<int>(std::min<std::int64_t>(shortest, 60 * 60 * 1000));
    }

    void wait_for_results()
    {
        std::vector<pollfd> fds;
        for (const Worker& worker : workers_)
            fds.push_back({worker.results.fd, POLLIN, 0});
        fds.push_back({signals_.fd(), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), poll_timeout()) < 0) {
            if (errno != EINTR)
                abort_all(std::string("waiting for the export processes failed: ") + std::strerror(errno));
            return;
        }
        if (fds.back().revents != 0)
            interrupted(signals_.take());
        // Backwards, so that a worker that ended can be removed.
        for (std::size_t w = workers_.size(); w-- > 0;)
            if (fds[w].revents != 0)
                receive(w);
        stop_silent_workers();
    }

    // The first signal stops the handing out: the workers finish the report
    // they hold and end. A second one ends them at once.
    void interrupted(int signal)
    {
        if (signal == 0)
            return;
        if (signal_ == 0) {
            signal_ = signal;
            std::fprintf(stderr, "zelto: %s: finishing the reports in progress (again to stop at once)\n",
                         strsignal(signal));
            for (Worker& worker : workers_)
                worker.tasks.reset();
            return;
        }
        for (Worker& worker : workers_)
            ::kill(worker.pid, SIGKILL);
    }

    void stop_silent_workers()
    {
        const auto now = std::chrono::steady_clock::now();
        for (Worker& worker : workers_)
            if (worker.report >= 0 && !worker.stopped &&
                now - worker.since >= std::chrono::seconds(options_.worker_timeout_s)) {
                worker.stopped = true;
                ::kill(worker.pid, SIGKILL);
            }
    }

    // The wait itself failed: every worker is ended and every report not
    // done fails with the reason.
    void abort_all(const std::string& why)
    {
        std::fprintf(stderr, "zelto: %s\n", why.c_str());
        for (Worker& worker : workers_) {
            ::kill(worker.pid, SIGKILL);
            int status = 0;
            while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (worker.report >= 0)
                finish(static_cast<std::size_t>(worker.report), failed(why));
        }
        workers_.clear();
        queue_.clear();
        not_taken_ = why;
    }

    void receive(std::size_t w)
    {
        Worker& worker = workers_[w];
        Received m;
        if (!m.receive(worker.results.fd)) {
            worker_ended(w);
            return;
        }
        const std::uint32_t index = m.u32();
        ExportReportResult r;
        r.ok = m.u32() != 0;
        r.exercises = static_cast<std::int32_t>(m.u32());
        r.files = static_cast<std::int32_t>(m.u32());
        r.failure = m.text();
        r.messages = m.text();
        r.csv_rows = m.text();
        worker.captured = m.i64();
        if (index < results_.size())
            finish(index, std::move(r));
        give_next(worker);
        print_ready(false);
    }

    // The worker's results pipe closed: it ended, normally or not. A report
    // it held goes back to the front of the queue once; the second time (or
    // when the worker was stopped for its silence, or after a signal) it
    // fails with whatever the worker printed. A new worker takes the rest.
    void worker_ended(std::size_t w)
    {
        Worker worker = std::move(workers_[w]);
        workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(w));
        int status = 0;
        while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (worker.report >= 0) {
            const auto report = static_cast<std::size_t>(worker.report);
            if (!worker.stopped && signal_ == 0 && tries_[report]++ == 0) {
                queue_.push_front(static_cast<std::uint32_t>(report));
            } else {
                std::string why = "the export process ended";
                if (worker.stopped)
                    why = "no answer within " + std::to_string(options_.worker_timeout_s) +
                          " s: the export process was stopped";
                else if (WIFSIGNALED(status))
                    why += std::string(" by signal ") + std::to_string(WTERMSIG(status)) + " (" +
                           strsignal(WTERMSIG(status)) + ")";
                else if (WIFEXITED(status))
                    why += " with exit status " + std::to_string(WEXITSTATUS(status));
                ExportReportResult r = failed(why);
                r.messages = read_from(worker.capture.fd, worker.captured);
                finish(report, std::move(r));
            }
        }
        worker.capture.reset();
        worker.results.reset();
        if (worker.report >= 0)
            remove_leftovers(static_cast<std::size_t>(worker.report));
        if (!queue_.empty() && signal_ == 0 && start_worker())
            give_next(workers_.back());
        print_ready(false);
    }

    // The temporary files a worker that died left of a report's files
    // (".NAME.XXXXXX", see FileWriter): the report's stem owns the names.
    void remove_leftovers(std::size_t report) const
    {
        const std::string owned[] = {"." + stems_[report] + "_", ".chart_" + stems_[report] + "_",
                                     ".tracings_" + stems_[report] + "_"};
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(options_.directory, error)) {
            const std::string name = entry.path().filename().string();
            for (const std::string& start : owned)
                if (name.starts_with(start) && name.size() > start.size() + 7 && name[name.size() - 7] == '.') {
                    // "<number>_<safe name>.<extension>": one more "_" would
                    // be another stem's name.
                    const std::string_view rest(name.data() + start.size(), name.size() - start.size() - 7);
                    const std::size_t gap = rest.find('_');
                    if (gap != std::string_view::npos && gap > 0 && rest.find('_', gap + 1) == std::string_view::npos
                        && rest.substr(0, gap).find_first_not_of("0123456789") == std::string_view::npos)
                        std::filesystem::remove(entry.path(), error);
                }
        }
    }

    void finish(std::size_t index, ExportReportResult result)
    {
        results_[index].done = true;
        results_[index].result = std::move(result);
    }

    // Progress lines of the reports done, in their order, as far as every
    // earlier report is done too; at the end (`last`), of every report done.
    void print_ready(bool last)
    {
        const std::size_t count = options_.reports.size();
        while (printed_ < count && (results_[printed_].done || last)) {
            if (!results_[printed_].done) {
                ++printed_;
                continue;
            }
            const ExportReportResult& r = results_[printed_].result;
            const std::string& name = options_.reports[printed_];
            if (r.ok)
                std::fprintf(stderr, "[%zu/%zu] %s: %d exercise%s, %d file%s\n", printed_ + 1, count, name.c_str(),
                             r.exercises, r.exercises == 1 ? "" : "s", r.files, r.files == 1 ? "" : "s");
            else
                std::fprintf(stderr, "[%zu/%zu] %s: failed: %s\n", printed_ + 1, count, name.c_str(), r.failure.c_str());
            // A failure shows the program's own lines (the parser's messages)
            // indented under it; any other report its non-fatal ones (values
            // that could not be read, a missing count).
            for (std::size_t start = 0; start < r.messages.size();) {
                std::size_t end = r.messages.find('\n', start);
                if (end == std::string::npos)
                    end = r.messages.size();
                const std::string_view line(r.messages.data() + start, end - start);
                if (!line.empty() && (!r.ok || line.starts_with("non-fatal error: ")))
                    std::fprintf(stderr, "    %.*s\n", static_cast<int>(line.size()), line.data());
                start = end + 1;
            }
            std::fflush(stderr);
            ++printed_;
        }
    }

    int summarise()
    {
        std::size_t failures = 0, done = 0;
        long files = 0;
        std::string csv(options_.csv_bom ? text_encoding_utf8_mark : "");
        if (options_.formats.csv && baseline_ != nullptr)
            emg_comparison_csv_header(&csv);
        else if (options_.formats.csv)
            emg_measures_csv_header(&csv);
        for (const Pending& p : results_) {
            done += p.done ? 1 : 0;
            failures += p.done && !p.result.ok ? 1 : 0;
            files += p.result.files;
            csv += p.result.csv_rows;
        }
        bool csv_written = true;
        if (options_.formats.csv) {
            const std::filesystem::path path = std::filesystem::path(options_.directory) / "measures.csv";
            std::string why;
            if (done == failures) {
                // Nothing exported: a measures.csv of an earlier run stays.
                std::fprintf(stderr, "zelto: no report was exported: \"%s\" is not written\n", path.c_str());
            } else if (!file_writer_write(path, csv, &why)) {
                csv_written = false;
                std::fprintf(stderr, "zelto: could not write \"%s\": %s\n", path.c_str(), why.c_str());
            } else {
                ++files;
            }
        }
        const std::size_t count = options_.reports.size();
        if (done < count)
            std::fprintf(stderr, "%zu of %zu report%s exported, %zu failed, %zu not exported (%s); %ld file%s written to %s\n",
                         done - failures, count, count == 1 ? "" : "s", failures, count - done, strsignal(signal_),
                         files, files == 1 ? "" : "s", options_.directory.c_str());
        else
            std::fprintf(stderr, "%zu of %zu report%s exported, %zu failed; %ld file%s written to %s\n",
                         count - failures, count, count == 1 ? "" : "s", failures, files, files == 1 ? "" : "s",
                         options_.directory.c_str());
        return failures == 0 && csv_written ? 0 : 1;
    }

    const ExportOptions& options_;
    const EmgReport* baseline_;  // loaded before the workers are forked, which inherit it
    const std::vector<std::string> stems_;
    std::vector<Pending> results_;
    std::vector<int> tries_;            // per report: how often a worker died holding it
    std::deque<std::uint32_t> queue_;   // reports not handed over yet
    std::vector<Worker> workers_;
    Signals signals_;
    int signal_ = 0;                    // SIGINT or SIGTERM once one arrived
    std::string not_taken_ = "no export process could take it";
    std::size_t printed_ = 0;  // reports whose progress line is out
};

}  // namespace

std::unique_ptr<EmgReport> batch_export_load_baseline(const std::string& path, bool rotation)
{
    std::unique_ptr<EmgReport> report;
    if (emg_extract_3d(&report, path.c_str()) != 0 || report == nullptr) {
        std::fflush(stdout);
        std::fprintf(stderr, "zelto: %s: could not be loaded as the baseline\n", path.c_str());
        return nullptr;
    }
    if (rotation && !report->has_rotation_data)
        emg_compute_rotation_data(report.get());
    emg_measures_print_warnings(report.get(), path.c_str());
    std::fflush(stdout);
    return report;
}

std::string batch_export_unaligned(const std::string& baseline)
{
    return "cannot be aligned with the baseline " + baseline +
           " (a calibration gives no anatomical frame); written without the comparison";
}

int batch_export_run(const ExportOptions& options)
{
    // The baseline is read once, before anything is written: without it the
    // run would write other files than were asked for.
    std::unique_ptr<EmgReport> baseline;
    if (!options.baseline.empty()) {
        baseline = batch_export_load_baseline(options.baseline, true);
        if (baseline == nullptr)
            return 1;
    }
    Export run(options, baseline.get());
    return run.run();
}

// =============================================================================
// [SECTION] Measures on standard output
// =============================================================================

int batch_export_measures(const std::vector<std::string>& reports, const EmgReferencePlane& reference, bool csv_bom,
                          const std::string& baseline_path)
{
    // The CSV goes through a copy of standard output; standard output itself
    // becomes standard error for the run, so that whatever the parser prints
    // reaches the console and never the CSV.
    std::fflush(nullptr);
    const Fd csv(::dup(STDOUT_FILENO));
    if (csv.fd < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::fprintf(stderr, "zelto: cannot separate the CSV from the messages: %s\n", std::strerror(errno));
        return 1;
    }
    std::unique_ptr<EmgReport> baseline;
    if (!baseline_path.empty()) {
        baseline = batch_export_load_baseline(baseline_path, false);
        if (baseline == nullptr)
            return 1;
    }
    std::string text(csv_bom ? text_encoding_utf8_mark : "");
    if (baseline != nullptr)
        emg_comparison_csv_header(&text);
    else
        emg_measures_csv_header(&text);
    bool all = write_all(csv.fd, text.data(), text.size());
    for (const std::string& path : reports) {
        std::unique_ptr<EmgReport> report;
        if (emg_extract_3d(&report, path.c_str()) != 0 || report == nullptr) {
            std::fflush(stdout);
            std::fprintf(stderr, "zelto: %s: could not be loaded\n", path.c_str());
            all = false;
            continue;
        }
        emg_measures_print_warnings(report.get(), path.c_str());
        text.clear();
        if (baseline != nullptr) {
            const std::unique_ptr<EmgReport> aligned = emg_comparison_aligned(*report, *baseline);
            if (aligned == nullptr) {
                std::fflush(stdout);
                std::fprintf(stderr, "zelto: %s %s\n", path.c_str(), batch_export_unaligned(baseline_path).c_str());
            }
            emg_comparison_csv_rows(&text, path, report.get(), baseline_path, aligned.get(), reference);
        } else {
            emg_measures_csv_rows(&text, path, report.get(), reference);
        }
        std::fflush(stdout);
        if (!write_all(csv.fd, text.data(), text.size())) {
            std::fprintf(stderr, "zelto: cannot write the CSV: %s\n", std::strerror(errno));
            return 1;
        }
    }
    std::fflush(stdout);
    return all ? 0 : 1;
}
