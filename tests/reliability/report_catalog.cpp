#include "tests/reliability/report_catalog.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zelto_reliability {

std::string ReportParts::text() const
{
    std::string out = "Exercises\n{\n";
    for (const std::string& entry : entries)
        out += entry + "\n";
    out += "}\n";
    for (const std::optional<std::string>& part : {frequency, count, calibration, std::optional<std::string>(header)})
        out += part ? *part + "\n" : "";
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        out += b > 0 ? "\n" : "";  // the empty line between two blocks
        for (const std::string& line : blocks[b])
            out += line + "\n";
    }
    return out;
}

namespace {

std::string generated_text(const ReportGeneratorOptions& options)
{
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

// The pieces of `text` between the separators.
std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> pieces(1);
    for (char c : text)
        if (c == separator)
            pieces.emplace_back();
        else
            pieces.back() += c;
    return pieces;
}

ReportGeneratorOptions options_of(int exercises, double duration, double frequency, bool angles = false,
                                  bool emg = false)
{
    ReportGeneratorOptions options;
    std::tie(options.exercises, options.duration, options.frequency, options.angles, options.emg) =
        std::tuple(exercises, duration, frequency, angles, emg);
    return options;
}

// Two exercises of 50 samples: the base of most broken and hostile kinds.
ReportParts base_parts() { return generated_parts(options_of(2, 0.5, 100.0)); }

std::string join(const std::vector<std::string>& fields)
{
    std::string line = fields.at(0);
    for (std::size_t i = 1; i < fields.size(); ++i)
        line += "\t" + fields[i];
    return line;
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
    void hostile(const std::string& name, std::string text, Outcome outcome, std::vector<std::string> messages = {},
                 int exercises = -1)
    {
        add("hostile", name, std::move(text), outcome, std::move(messages), exercises);
    }
    void unreadable(const std::string& group, const std::string& name, Shape shape)
    {
        add(group, name, "", Outcome::fails, {"ERROR: Could not open file at \""}, -1, shape);
    }
};

// The parser's rules and messages (line ends, column names...) are checked
// one by one by the report tests; here each kind stands for what a session
// must survive. Missing blocks are told by "2000 entries, 3 blocks".
void add_valid_and_broken_kinds(CatalogBuilder& c)
{
    c.valid("small, positions only", generated_text(options_of(1, 0.5, 100.0)), 1);
    c.valid("angles and EMG channels", generated_text(options_of(5, 3.0, 200.0, true, true)), 5);
    c.valid("one long exercise (12000 samples)", generated_text(options_of(1, 60.0, 200.0)), 1);
    c.valid("no exercises", generated_text(options_of(0, 1.0, 100.0)), 0);
    c.valid("exercises of one sample", generated_text(options_of(3, 0.01, 100.0)), 3);
    ReportParts no_count = base_parts();
    no_count.count.reset();
    c.valid("no count line", no_count.text(), 2, {"non-fatal error: failed to locate count data in file "});

    c.unreadable("broken", "missing file", Shape::missing);
    ReportParts p = base_parts();
    std::vector<std::string> fields = split(p.blocks[0][2], '\t');
    fields[4] = "1e999";
    p.blocks[0][2] = join(fields);
    c.add("broken", "position out of range", p.text(), Outcome::fails,
          {"ERROR: point data entry #3 (at 20 ms) for exercise #1 is malformed\n"});
}

// Every position of every sample line set by `value(line, field, fields)`.
template <typename Value>
std::string with_positions(ReportParts p, Value value, const char* calibration = nullptr)
{
    int k = 0;
    for (auto& block : p.blocks)
        for (std::string& line : block) {
            std::vector<std::string> f = split(line, '\t');
            for (std::size_t i = 1; i < 10; ++i)
                f[i] = value(k, i, f);
            line = join(f);
            ++k;
        }
    if (calibration != nullptr)
        p.calibration = calibration;
    return p.text();
}

void add_hostile_kinds(CatalogBuilder& c)
{
    c.hostile("binary noise", noise(64 * 1024, 7), Outcome::fails, {"ERROR: Could not find list of exercises\n"});
    c.unreadable("hostile", "directory", Shape::directory);
    c.unreadable("hostile", "named pipe", Shape::fifo);
    c.unreadable("hostile", "file name of 5000 characters", Shape::missing);
    c.kinds.back().file_name = std::string(5000, 'a') + ".tsv";
    const ReportParts base = base_parts();
    const std::string text = base.text();
    c.hostile("cut inside the exercise list", text.substr(0, text.find("2\tProtrusion") + 5), Outcome::fails,
              {"ERROR: could not locate report frequency\n"});
    // Up to the middle of the 26th sample line of the last block: the cut
    // line has no line feed; it counts, and its missing values are told.
    c.hostile("cut inside the last sample line", text.substr(0, text.find(base.blocks[1][25]) + 7), Outcome::loads,
              {"non-fatal error: exercise #2 ("}, 2);
    ReportParts p = base;
    while (p.blocks[0][10].size() < (1u << 20))
        p.blocks[0][10] += "\t1.5";
    c.hostile("sample line of a megabyte", p.text(), Outcome::loads, {}, 2);
    c.hostile("first line of a megabyte", std::string(1u << 20, 'x') + "\n" + text, Outcome::loads, {}, 2);
    p = base;
    p.blocks[0][5].insert(3, 1, '\0');
    p.entries[0].insert(6, 1, '\0');
    c.hostile("NUL bytes in a name and a sample line", p.text(), Outcome::fails,
              {"ERROR: exercise list entry #0 is malformed\n"});
    const char* odd[] = {"nan", "inf", "-inf", "NaN", "INF", "infinity", "-nan", "+inf", "nan(0x1)"};
    c.hostile("NaN and infinite positions",
              with_positions(base, [&](int k, std::size_t i, auto& f) { return k % 3 == 2 ? odd[(k + i) % 9] : f[i]; }),
              Outcome::loads, {}, 2);
    p = base;
    p.calibration = "Calibr\tnan\tinf\t-inf\tnan\tinf\t-inf\tnan\tinf\t-inf";
    c.hostile("non-finite calibration", p.text(), Outcome::loads, {}, 2);
    // Rates that are no rate: the animation stays inside the exercise (the clock's steps are checked exactly
    // by the main loop tests).
    for (const char* rate : {"0", "-100", "nan", "-inf", "1e308", "4.9e-324", "123456789"}) {
        p = base;
        p.frequency = std::string("Frequency,Hz\t") + rate;
        c.hostile(std::string("frequency ") + rate, p.text(), Outcome::loads, {}, 2);
    }
    // 2000 entries with names of 126 characters, 1000 blocks of two samples.
    p = generated_parts(options_of(1000, 0.02, 100.0));
    p.entries.clear();
    for (int e = 0; e < 2000; ++e) {
        std::string name = "Exercise " + std::to_string(e + 1) + " ";
        name.resize(126, '~');
        p.entries.push_back(std::to_string(e + 1) + "\t" + name + "\t0.0\t0.02");
    }
    c.hostile("2000 entries, 1000 blocks", p.text(), Outcome::loads, {}, 1000);
    p.blocks.resize(3);
    c.hostile("2000 entries, 3 blocks", p.text(), Outcome::fails,
              {"ERROR: Data points missing for exercise 3\n", "ERROR: Data points missing for exercise 999\n"});
    c.hostile("three points at one place",
              with_positions(base, [](int, std::size_t i, auto& f) { return f[1 + (i - 1) % 3]; },
                             "Calibr\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0"),
              Outcome::loads, {}, 2);
    c.hostile("incisal point between the condyles", with_positions(base, [](int, std::size_t i, auto& f) {
                  return i < 7 ? f[i] : std::to_string((std::stod(f[i - 6]) + std::stod(f[i - 3])) / 2);
              }),
              Outcome::loads, {}, 2);
    c.hostile("every position zero", with_positions(base, [](int, std::size_t, auto&) { return std::string("0"); },
                                                     "Calibr\t0\t0\t0\t0\t0\t0\t0\t0\t0"),
              Outcome::loads, {}, 2);
    c.hostile("positions near the largest double", with_positions(base, [](int k, std::size_t i, auto&) {
                  return std::string((k + i) % 2 == 0 ? "1e300" : "-1.7e308");
              }),
              Outcome::loads, {}, 2);
    p = base;
    p.entries[0] = "1\t%s%n%x%p%ls\t0.000\t0.500";
    p.entries[1] = "2\t\xff\xfe\xc3 broken UTF-8 \xe2\x82\t0.500\t0.500";
    c.hostile("format directives and broken UTF-8 in names", p.text(), Outcome::loads, {}, 2);
    c.kinds.back().file_name = "report_%s%n%d.tsv";
    std::string returns = text;
    std::replace(returns.begin(), returns.end(), '\n', '\r');
    c.hostile("carriage returns only", returns, Outcome::either);
}

}  // namespace

ReportParts generated_parts(const ReportGeneratorOptions& options)
{
    std::vector<std::string> lines = split(generated_text(options), '\n');
    lines.pop_back();  // after the last line feed
    ReportParts parts;
    std::size_t i = 2;  // "Exercises", "{"
    while (lines.at(i) != "}")
        parts.entries.push_back(lines[i++]);
    std::tie(parts.frequency, parts.count, parts.calibration, parts.header) =
        std::tuple(lines.at(i + 1), lines.at(i + 2), lines.at(i + 3), lines.at(i + 4));
    if (options.exercises > 0)
        parts.blocks.emplace_back();
    for (i += 5; i < lines.size(); ++i)
        if (lines[i].empty())
            parts.blocks.emplace_back();
        else
            parts.blocks.back().push_back(lines[i]);
    return parts;
}

std::vector<ReportKind> report_catalog()
{
    CatalogBuilder c;
    add_valid_and_broken_kinds(c);
    add_hostile_kinds(c);
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
