#include "tests/reliability/report_catalog.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <tuple>

#include "tools/report_generator.hpp"

namespace zelto_reliability {

namespace {

// The generator's report of `exercises` exercises of `duration` seconds.
std::string generated(int exercises, double duration, double frequency = 100.0, bool angles = false,
                      bool emg = false)
{
    ReportGeneratorOptions options;
    std::tie(options.exercises, options.duration, options.frequency, options.angles, options.emg) =
        std::tuple(exercises, duration, frequency, angles, emg);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    const bool written = out != nullptr && report_generator_write(out, options);
    if (out != nullptr)
        std::fclose(out);
    std::string text(buffer != nullptr ? buffer : "", size);
    std::free(buffer);
    if (!written)
        throw std::runtime_error("the report generator failed");
    return text;
}

using Lines = std::vector<std::string>;

// The pieces of `text` between the separators, and back.
Lines split(const std::string& text, char separator)
{
    Lines pieces(1);
    for (char c : text)
        if (c == separator)
            pieces.emplace_back();
        else
            pieces.back() += c;
    return pieces;
}

std::string join(const Lines& pieces, char separator)
{
    std::string text = pieces.at(0);
    for (std::size_t i = 1; i < pieces.size(); ++i)
        text += separator + pieces[i];
    return text;
}

// A report as its lines, so that a kind can change one and keep the others as the generator wrote them.
Lines lines_of(const std::string& text)
{
    Lines lines = split(text, '\n');
    lines.pop_back();  // after the last line feed
    return lines;
}

std::string text_of(const Lines& lines) { return join(lines, '\n') + "\n"; }

// The first line that starts with `start`.
std::size_t index_of(const Lines& lines, const std::string& start)
{
    std::size_t i = 0;
    while (!lines.at(i).starts_with(start))
        ++i;
    return i;
}

// Sample line `i` of block `b` in a report of 50 samples an exercise (a block ends with an empty line).
std::size_t sample_line(const Lines& lines, std::size_t b, std::size_t i)
{
    return index_of(lines, "Time,ms") + 1 + 51 * b + i;
}

// Every position of every sample line set by `value(line, field, fields)`.
template <typename Value>
std::string with_positions(Lines p, Value value, const char* calibration = nullptr)
{
    int k = 0;
    for (std::size_t l = index_of(p, "Time,ms") + 1; l < p.size(); ++l) {
        if (p[l].empty())
            continue;
        Lines f = split(p[l], '\t');
        for (std::size_t i = 1; i < 10; ++i)
            f[i] = value(k, i, f);
        p[l] = join(f, '\t');
        ++k;
    }
    if (calibration != nullptr)
        p[index_of(p, "Calibr")] = calibration;
    return text_of(p);
}

// The bytes of the `seed`th pseudo-random file of `size` bytes.
std::string noise(std::size_t size, std::uint64_t seed)
{
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>((seed = report_generator_detail::mix(seed)) & 0xFF);
    return out;
}

struct CatalogBuilder {
    std::vector<ReportKind> kinds;

    void add(const std::string& group, const std::string& name, std::string text, Outcome outcome,
             std::vector<std::string> messages = {}, int exercises = -1, Shape shape = Shape::file)
    {
        if (group == "broken" && shape == Shape::file)
            messages.push_back("ERROR: Could not retrieve data from file at \"");
        if (outcome == Outcome::fails)
            messages.push_back("Bad report load");
        char file_name[32];
        std::snprintf(file_name, sizeof file_name, "report_%03zu.tsv", kinds.size());
        kinds.push_back({name, group, file_name, shape, std::move(text), outcome, std::move(messages), exercises});
    }
    void valid(const std::string& name, std::string text, int exercises, std::vector<std::string> messages = {})
    {
        add("valid", name, std::move(text), Outcome::loads, std::move(messages), exercises);
    }
    void hostile(const std::string& name, std::string text, Outcome outcome = Outcome::loads,
                 std::vector<std::string> messages = {}, int exercises = 2)
    {
        add("hostile", name, std::move(text), outcome, std::move(messages), exercises);
    }
    void unreadable(const std::string& group, const std::string& name, Shape shape)
    {
        add(group, name, "", Outcome::fails, {"ERROR: Could not open file at \""}, -1, shape);
    }
};

}  // namespace

// The parser's rules and messages (line ends, column names...) are checked one by one by the report tests; here
// each kind stands for what a session must survive. Missing blocks are told by "2000 entries, 3 blocks".
std::vector<ReportKind> report_catalog()
{
    CatalogBuilder c;
    c.valid("small, positions only", generated(1, 0.5), 1);
    c.valid("angles and EMG channels", generated(5, 3.0, 200.0, true, true), 5);
    c.valid("one long exercise (12000 samples)", generated(1, 60.0, 200.0), 1);
    c.valid("no exercises", generated(0, 1.0), 0);
    c.valid("exercises of one sample", generated(3, 0.01), 3);
    // Two exercises of 50 samples: the base of the other kinds.
    const Lines base = lines_of(generated(2, 0.5));
    const std::string text = text_of(base);
    Lines p = base;
    p.erase(p.begin() + static_cast<std::ptrdiff_t>(index_of(p, "Count")));
    c.valid("no count line", text_of(p), 2, {"non-fatal error: failed to locate count data in file "});

    c.unreadable("broken", "missing file", Shape::missing);
    p = base;
    Lines fields = split(p[sample_line(p, 0, 2)], '\t');
    fields[4] = "1e999";
    p[sample_line(p, 0, 2)] = join(fields, '\t');
    c.add("broken", "position out of range", text_of(p), Outcome::fails,
          {"ERROR: point data entry #3 (at 20 ms) for exercise #1 is malformed\n"});

    c.hostile("binary noise", noise(64 * 1024, 7), Outcome::fails, {"ERROR: Could not find list of exercises\n"});
    c.unreadable("hostile", "directory", Shape::directory);
    c.unreadable("hostile", "named pipe", Shape::fifo);
    c.unreadable("hostile", "file name of 5000 characters", Shape::missing);
    c.kinds.back().file_name = std::string(5000, 'a') + ".tsv";
    c.hostile("cut inside the exercise list", text.substr(0, text.find("2\tProtrusion") + 5), Outcome::fails,
              {"ERROR: could not locate report frequency\n"});
    // Up to the middle of the 26th sample line of the last block: the cut
    // line has no line feed; it counts, and its missing values are told.
    c.hostile("cut inside the last sample line", text.substr(0, text.find(base[sample_line(base, 1, 25)]) + 7),
              Outcome::loads, {"non-fatal error: exercise #2 ("}, 2);
    p = base;
    while (p[sample_line(p, 0, 10)].size() < (1u << 20))
        p[sample_line(p, 0, 10)] += "\t1.5";
    c.hostile("sample line of a megabyte", text_of(p));
    c.hostile("first line of a megabyte", std::string(1u << 20, 'x') + "\n" + text);
    p = base;
    p[sample_line(p, 0, 5)].insert(3, 1, '\0');
    p[2].insert(6, 1, '\0');  // the first exercise's name
    c.hostile("NUL bytes in a name and a sample line", text_of(p), Outcome::fails,
              {"ERROR: exercise list entry #0 is malformed\n"});
    const char* odd[] = {"nan", "inf", "-inf", "NaN", "INF", "infinity", "-nan", "+inf", "nan(0x1)"};
    c.hostile("NaN and infinite positions", with_positions(base, [&](int k, std::size_t i, auto& f) {
                  return k % 3 == 2 ? odd[(k + i) % 9] : f[i];
              }));
    p = base;
    p[index_of(p, "Calibr")] = "Calibr\tnan\tinf\t-inf\tnan\tinf\t-inf\tnan\tinf\t-inf";
    c.hostile("non-finite calibration", text_of(p));
    // Rates that are no rate: the animation stays inside the exercise (the clock's steps are checked exactly
    // by the main loop tests).
    for (const char* rate : {"0", "-100", "nan", "-inf", "1e308", "4.9e-324", "123456789"}) {
        p = base;
        p[index_of(p, "Frequency")] = std::string("Frequency,Hz\t") + rate;
        c.hostile(std::string("frequency ") + rate, text_of(p));
    }
    // 2000 entries with names of 126 characters, 1000 blocks of two samples.
    p = lines_of(generated(1000, 0.02));
    p.erase(p.begin() + 2, p.begin() + 1002);
    for (int e = 2000; e > 0; --e) {
        std::string name = "Exercise " + std::to_string(e) + " ";
        name.resize(126, '~');
        p.insert(p.begin() + 2, std::to_string(e) + "\t" + name + "\t0.0\t0.02");
    }
    c.hostile("2000 entries, 1000 blocks", text_of(p), Outcome::loads, {}, 1000);
    p.resize(index_of(p, "Time,ms") + 9);  // three blocks of two samples and an empty line between
    c.hostile("2000 entries, 3 blocks", text_of(p), Outcome::fails,
              {"ERROR: Data points missing for exercise 3\n", "ERROR: Data points missing for exercise 999\n"});
    c.hostile("three points at one place",
              with_positions(base, [](int, std::size_t i, auto& f) { return f[1 + (i - 1) % 3]; },
                             "Calibr\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0"));
    c.hostile("incisal point between the condyles", with_positions(base, [](int, std::size_t i, auto& f) {
                  return i < 7 ? f[i] : std::to_string((std::stod(f[i - 6]) + std::stod(f[i - 3])) / 2);
              }));
    c.hostile("every position zero", with_positions(base, [](int, std::size_t, auto&) { return std::string("0"); },
                                                     "Calibr\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
    c.hostile("positions near the largest double", with_positions(base, [](int k, std::size_t i, auto&) {
                  return std::string((k + i) % 2 == 0 ? "1e300" : "-1.7e308");
              }));
    p = base;
    p[2] = "1\t%s%n%x%p%ls\t0.000\t0.500";
    p[3] = "2\t\xff\xfe\xc3 broken UTF-8 \xe2\x82\t0.500\t0.500";
    c.hostile("format directives and broken UTF-8 in names", text_of(p));
    c.kinds.back().file_name = "report_%s%n%d.tsv";
    std::string returns = text;
    std::replace(returns.begin(), returns.end(), '\n', '\r');
    c.hostile("carriage returns only", returns, Outcome::either, {}, -1);
    return std::move(c.kinds);
}

void make_report(const ReportKind& kind, const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    if (kind.shape == Shape::file && !(std::ofstream(path, std::ios::binary) << kind.text))
        throw std::runtime_error("cannot write " + path.string());
    if (kind.shape == Shape::directory)
        std::filesystem::create_directory(path);
    if (kind.shape == Shape::fifo && mkfifo(path.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make the named pipe " + path.string());
}

}  // namespace zelto_reliability
