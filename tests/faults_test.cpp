// Faults the program meets in the field, each made on purpose: a file system that fills, a folder that cannot be
// written, a line longer than memory, bytes that are no UTF-8, workers that die, hang or are interrupted, two runs
// writing the same names, a display that cannot be opened. None may leave a partial file anywhere.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>

#include "app/batch_export.hpp"
#include "platform/file_writer.hpp"
#include "base/text_encoding.hpp"
#include "base/utf8.hpp"
#include "report/emg_processing.hpp"
#include "tests/gui_fixture.hpp"

namespace fs = std::filesystem;
using namespace zelto_test;

// Allocations above this many bytes fail, as they would under a small memory limit (AddressSanitizer ends the
// process instead, so the test program allocates for itself, with malloc and free, which GCC takes for a mismatch).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::size_t allocation_limit = SIZE_MAX;
void* operator new(std::size_t n)
{
    void* p = n <= allocation_limit ? std::malloc(n) : nullptr;
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Every name in the folder, hidden ones too.
std::vector<std::string> names_in(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// `body` in a child process (its limits and user its own); whether it returned true.
bool in_child(const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The zelto binary started with the words (through sh, after `before`: limits, environment), standard error to
// `err`.
pid_t start(const std::string& words, const std::string& err, const std::string& before = "")
{
    const std::string line = before + "exec " + (fs::path(std::getenv("ZELTO_BINARY_DIR")) / "zelto").string() + " " +
                             words + " >/dev/null 2>" + err;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr);
        ::_exit(127);
    }
    return pid;
}

int finish(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first worker process of a running export.
pid_t worker_of(pid_t parent)
{
    const std::string children = "/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children";
    for (;;) {
        const std::string text = read_file(children);
        if (!text.empty())
            return static_cast<pid_t>(std::stol(text));
        ::usleep(10000);
    }
}

bool has_hidden(const fs::path& folder)
{
    const std::vector<std::string> names = names_in(folder);
    return std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.starts_with("."); });
}

}  // namespace

TEST(Faults, AFileIsWrittenWholeOrTheOldOneStays)
{
    TempWorkingDirectory dir;
    fs::permissions(".", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory("ro");
    fs::create_directory("sub");
    write_file("t.txt", "old");
    write_file("ro/t.txt", "old");
    fs::permissions("ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    const struct {
        const char* fault;
        const char* target;
        std::function<void()> limits;
        const char* why;
    } cases[] = {
        {"a full file system", "t.txt",
         [] {
             const rlimit small{4096, 4096};
             ::setrlimit(RLIMIT_FSIZE, &small);
             ::signal(SIGXFSZ, SIG_IGN);
         },
         "File too large"},
        // Root writes into any folder: the child gives up root first.
        {"a read-only folder", "ro/t.txt", [] { (void)(::geteuid() == 0 && ::setuid(65534) == 0); },
         "Permission denied"},
        {"a folder of the name", "sub", [] {}, "Is a directory"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(in_child([&] {
            c.limits();
            std::string why;
            return !file_writer_write(c.target, std::string(100000, 'x'), &why) && why == c.why;
        })) << c.fault;
        EXPECT_EQ(names_in("."), (std::vector<std::string>{"ro", "sub", "t.txt"})) << c.fault;
        EXPECT_EQ(std::tuple(read_file("t.txt"), names_in("ro"), names_in("sub").size()),
                  std::tuple("old", std::vector<std::string>{"t.txt"}, std::size_t{0})) << c.fault;
    }
    std::string why;
    EXPECT_TRUE(file_writer_write("t.txt", "new", &why));
    EXPECT_EQ(std::tuple(read_file("t.txt"), names_in(".").size()), std::tuple("new", std::size_t{3}));
}

// One table of bytes for the decoder and its users: the length of the character at the start, 0 when none.
TEST(Faults, Utf8ThatIsNoCharacterIsRejectedEverywhere)
{
    const std::pair<std::string, std::size_t> cases[] = {
        {"A", 1}, {"\xC3\xA9", 2}, {"\xE2\x82\xAC", 3}, {"\xF0\x9F\x98\x80", 4}, {"\xF4\x8F\xBF\xBF", 4},
        {"\x80", 0}, {"\xC0\xAF", 0}, {"\xC1\xBF", 0}, {"\xE0\x80\xAF", 0}, {"\xF0\x80\x80\xAF", 0},
        {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0}, {"\xF5\x80\x80\x80", 0}, {"\xFF\x80", 0}, {"\xE2\x82", 0},
        {"\xC3" "\x01", 0},
    };
    for (const auto& [text, length] : cases) {
        EXPECT_EQ(std::pair(utf8_decode(text, 0), utf8_valid(text)), std::pair(length, length == text.size()))
            << text;
        // File names keep whole characters only; Backspace removes a whole character or one byte.
        EXPECT_EQ(batch_export_safe_name("a" + text + "b"),
                  length > 1 ? "a" + text + "b" : length == 1 ? "aAb" : "a-b") << text;
        EXPECT_EQ(utf8_last_character_start("x" + text), length == text.size() ? 1 : text.size()) << text;
    }
    // Text that is not UTF-8 is Windows-1252: its own table from 0x80 to 0x9F (undefined bytes as U+FFFD), Latin-1
    // above; UTF-8 stays as it is.
    const std::pair<std::string, std::string> windows1252[] = {
        {"\xD6" "ffnen \x80\x81\x8A\x93\x9D\x9F\xA0\xFF", "\xC3\x96" "ffnen \xE2\x82\xAC\xEF\xBF\xBD\xC5\xA0"
         "\xE2\x80\x9C\xEF\xBF\xBD\xC5\xB8\xC2\xA0\xC3\xBF"}, {"\xC3\x96" "ffnen", "\xC3\x96" "ffnen"}};
    for (const auto& [bytes, utf8] : windows1252)
        EXPECT_EQ(text_encoding_to_utf8(bytes), utf8);
}

TEST(Faults, ALineLongerThanMemoryEndsTheLoadWithAMessage)
{
    TempWorkingDirectory dir;
    write_file("long.tsv", "Exercises\n" + std::string(3 << 20, 'x') + "\n");
    std::unique_ptr<EmgReport> report;
    int result = 0;
    const std::string out = capture_stdout([&] {
        allocation_limit = 3 << 19;
        result = emg_extract_3d(&report, "long.tsv");
        allocation_limit = SIZE_MAX;
    });
    EXPECT_EQ(std::tuple(result, report == nullptr), std::tuple(1, true));
    EXPECT_NE(out.find("ERROR: not enough memory for a line of more than 1048576 bytes\n"), std::string::npos) << out;
}

TEST(Faults, BatchSurvivesDeadHungAndInterruptedWorkersFullDisksRacesAndBadDisplays)
{
    TempWorkingDirectory dir;
    const std::string demo = read_file(source_dir() / "examples/demo_report.tsv");
    std::string reports;
    for (int i = 1; i <= 8; ++i) {
        write_file("r" + std::to_string(i) + ".tsv", demo);
        reports += " r" + std::to_string(i) + ".tsv";
    }

    // A worker killed mid-report: a new one takes the report again.
    pid_t run = start("--export k -j 1 --format svg,png r1.tsv r2.tsv", "k.err");
    ::kill(worker_of(run), SIGKILL);
    EXPECT_EQ(finish(run), 0) << read_file("k.err");
    EXPECT_EQ(std::pair(names_in("k").size(), has_hidden("k")), std::pair(std::size_t{20}, false));

    // A worker that answers no more is stopped, and its report fails.
    run = start("--export h -j 1 --timeout 1 r1.tsv", "h.err");
    ::kill(worker_of(run), SIGSTOP);
    EXPECT_EQ(finish(run), 1);
    EXPECT_NE(read_file("h.err").find("r1.tsv: failed: no answer within 1 s"), std::string::npos) << read_file("h.err");
    EXPECT_FALSE(has_hidden("h"));

    // SIGINT after the first report: the reports done are in measures.csv, the exit status is 130.
    run = start("--export i -j 1 --format svg,csv" + reports, "i.err");
    while (read_file("i.err").find("[1/8]") == std::string::npos)
        ::usleep(10000);
    ::kill(run, SIGINT);
    EXPECT_EQ(finish(run), 130);
    const std::string err = read_file("i.err");
    const std::size_t done = count_of(err, ": 5 exercises, 5 files\n");
    EXPECT_TRUE(done >= 1 && done < 8 && err.find("not exported (Interrupt)") != std::string::npos) << err;
    EXPECT_EQ(count_of(read_file("i/measures.csv"), "\r\n"), 1 + 5 * done);
    EXPECT_FALSE(has_hidden("i"));

    // A full file system: the writes fail with the reason, an earlier measures.csv stays.
    fs::create_directory("f");
    write_file("f/measures.csv", "old");
    EXPECT_EQ(finish(start("--export f --format svg,csv r1.tsv", "f.err", "ulimit -f 16; ")), 1);
    EXPECT_NE(read_file("f.err").find("File too large"), std::string::npos) << read_file("f.err");
    EXPECT_EQ(std::tuple(read_file("f/measures.csv"), has_hidden("f")), std::tuple("old", false));

    // Two runs writing the same names at once: every file is one run's file, whole.
    fs::create_directories("a");
    fs::create_directories("b");
    write_file("a/p.tsv", demo);
    write_file("b/p.tsv", report_text({{"Opening and closing", 300}, {"Protrusion", 200}}));
    for (const char* one : {"a", "b"})
        EXPECT_EQ(finish(start(std::string("--export ref_") + one + " -j 1 " + one + "/p.tsv", "/dev/null")), 0);
    const pid_t first = start("--export same -j 1 a/p.tsv", "/dev/null");
    const pid_t second = start("--export same -j 1 b/p.tsv", "/dev/null");
    EXPECT_EQ(std::pair(finish(first), finish(second)), std::pair(0, 0));
    for (const std::string& name : names_in("same")) {
        const std::string text = read_file("same/" + name);
        EXPECT_TRUE(text == read_file("ref_a/" + name) || text == read_file("ref_b/" + name)) << name;
    }

    // A display that cannot be opened: the pictures are drawn offscreen.
    EXPECT_EQ(finish(start("--export d --format png --exercise 1 r1.tsv", "d.err", "unset SDL_VIDEODRIVER; export DISPLAY=:987; ")), 0)
        << read_file("d.err");
    EXPECT_EQ(names_in("d"), std::vector<std::string>{"r1_1_Opening-and-closing.png"});
}
