#include "tests/reliability/report_catalog.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zelto_reliability {

// -----------------------------------------------------------------------------
// Report texts
// -----------------------------------------------------------------------------

std::string ReportParts::text() const
{
    std::string out;
    auto line = [&](const std::string& s) {
        out += s;
        out += line_end;
    };
    if (list_keyword)
        line(*list_keyword);
    line(list_opening);
    for (const std::string& entry : entries)
        line(entry);
    line(list_end);
    if (frequency)
        line(*frequency);
    if (count)
        line(*count);
    if (calibration)
        line(*calibration);
    line(header);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (b > 0)
            out += line_end;  // the empty line between two blocks
        for (const std::string& sample : blocks[b])
            line(sample);
    }
    return out;
}

std::string generated_text(const ReportGeneratorOptions& options)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr)
        throw std::runtime_error("open_memstream failed");
    const bool written = report_generator_write(out, options);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    if (!written)
        throw std::runtime_error("the report generator failed");
    return text;
}

namespace {

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

ReportParts generated_parts(const ReportGeneratorOptions& options)
{
    const std::vector<std::string> lines = split_lines(generated_text(options));
    ReportParts parts;
    std::size_t i = 2;  // "Exercises", "{"
    while (lines.at(i) != "}")
        parts.entries.push_back(lines[i++]);
    ++i;
    parts.frequency = lines.at(i++);
    parts.count = lines.at(i++);
    parts.calibration = lines.at(i++);
    parts.header = lines.at(i++);
    if (options.exercises > 0)
        parts.blocks.emplace_back();
    for (; i < lines.size(); ++i) {
        if (lines[i].empty())
            parts.blocks.emplace_back();
        else
            parts.blocks.back().push_back(lines[i]);
    }
    return parts;
}

std::vector<std::string> split_fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string join_fields(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '\t';
        line += fields[i];
    }
    return line;
}

// -----------------------------------------------------------------------------
// The catalog
// -----------------------------------------------------------------------------

namespace {

ReportGeneratorOptions options_of(int exercises, double duration, double frequency, bool angles = false,
                                  bool emg = false)
{
    ReportGeneratorOptions options;
    options.exercises = exercises;
    options.duration = duration;
    options.frequency = frequency;
    options.angles = angles;
    options.emg = emg;
    return options;
}

// Two exercises of 50 samples: the base of most broken and hostile kinds.
ReportParts base_parts()
{
    return generated_parts(options_of(2, 0.5, 100.0));
}

// Applies `change` to the fields of every sample line.
template <typename Change>
void for_each_sample(ReportParts* parts, Change change)
{
    for (auto& block : parts->blocks)
        for (std::string& line : block) {
            std::vector<std::string> fields = split_fields(line);
            change(fields);
            line = join_fields(fields);
        }
}

// The bytes of the `seed`th pseudo-random file of `size` bytes.
std::string noise(std::size_t size, std::uint64_t seed)
{
    std::string out(size, '\0');
    std::uint64_t x = seed;
    for (char& c : out) {
        x = report_generator_detail::mix(x);
        c = static_cast<char>(x & 0xFF);
    }
    return out;
}

const std::string bad_load = "Bad report load";
const std::string not_retrieved = "ERROR: Could not retrieve data from file at \"";
const std::string not_opened = "ERROR: Could not open file at \"";

struct CatalogBuilder {
    std::vector<ReportKind> kinds;

    void valid(const std::string& name, std::string text, int exercises, std::vector<std::string> messages = {})
    {
        add("valid", name, Shape::file, std::move(text), Outcome::loads, std::move(messages), exercises);
    }
    void broken(const std::string& name, std::string text, std::vector<std::string> messages)
    {
        messages.push_back(not_retrieved);
        messages.push_back(bad_load);
        add("broken", name, Shape::file, std::move(text), Outcome::fails, std::move(messages), -1);
    }
    void hostile(const std::string& name, std::string text, Outcome outcome, std::vector<std::string> messages = {},
                 int exercises = -1)
    {
        if (outcome == Outcome::fails)
            messages.push_back(bad_load);
        add("hostile", name, Shape::file, std::move(text), outcome, std::move(messages), exercises);
    }
    void unreadable(const std::string& group, const std::string& name, Shape shape,
                    const std::string& file_name = std::string())
    {
        add(group, name, shape, std::string(), Outcome::fails, {not_opened, bad_load}, -1);
        if (!file_name.empty())
            kinds.back().file_name = file_name;
    }

private:
    void add(const std::string& group, const std::string& name, Shape shape, std::string text, Outcome outcome,
             std::vector<std::string> messages, int exercises)
    {
        ReportKind kind;
        kind.name = name;
        kind.group = group;
        char file_name[32];
        std::snprintf(file_name, sizeof file_name, "report_%03zu.tsv", kinds.size());
        kind.file_name = file_name;
        kind.shape = shape;
        kind.text = std::move(text);
        kind.outcome = outcome;
        kind.messages = std::move(messages);
        kind.exercises = exercises;
        kinds.push_back(std::move(kind));
    }
};

void add_valid_kinds(CatalogBuilder& c)
{
    c.valid("small, positions only", generated_text(options_of(1, 0.5, 100.0)), 1);
    c.valid("four exercises with angles", generated_text(options_of(4, 5.0, 100.0, true)), 4);
    c.valid("angles and EMG channels", generated_text(options_of(5, 3.0, 200.0, true, true)), 5);
    c.valid("one long exercise (12000 samples)", generated_text(options_of(1, 60.0, 200.0)), 1);
    c.valid("120 short exercises", generated_text(options_of(120, 0.1, 100.0)), 120);
    {
        ReportParts p = generated_parts(options_of(4, 2.0, 100.0, true));
        p.line_end = "\r\n";
        c.valid("CRLF line ends", p.text(), 4);
    }
    {
        ReportParts p = base_parts();
        for (std::size_t at; (at = p.header.find("Incisal.")) != std::string::npos;)
            p.header.replace(at, 8, "Infraorbital.");
        c.valid("Infraorbital columns", p.text(), 2);
    }
    c.valid("no exercises", generated_text(options_of(0, 1.0, 100.0)), 0);
    c.valid("exercises of one sample", generated_text(options_of(3, 0.01, 100.0)), 3);
    {
        ReportParts p = base_parts();
        p.count.reset();
        c.valid("no count line", p.text(), 2, {"non-fatal error: failed to locate count data in file "});
    }
    {
        ReportParts p = base_parts();
        p.count = "Count\tmany";
        c.valid("count without a number", p.text(), 2,
                {"non-fatal error: located, but failed to read count data in file "});
    }
    {
        ReportParts p = generated_parts(options_of(3, 0.5, 100.0));
        p.entries.resize(1);
        c.valid("more blocks than exercises", p.text(), 1);
    }
}

void add_broken_kinds(CatalogBuilder& c)
{
    c.unreadable("broken", "missing file", Shape::missing);
    {
        ReportParts p = base_parts();
        p.list_keyword = "Exercise";
        c.broken("no exercise list", p.text(), {"ERROR: Could not find list of exercises\n"});
    }
    {
        ReportParts p = base_parts();
        p.entries[1] = "2\tProtrusion";
        c.broken("exercise entry without numbers", p.text(), {"ERROR: exercise list entry #1 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        p.entries[0] = "1\t" + std::string(127, 'n') + "\t0.000\t0.500";
        c.broken("exercise name of 127 characters", p.text(), {"ERROR: exercise list entry #0 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        p.frequency = "Frequency,Hz\tfast";
        c.broken("frequency without a number", p.text(), {"ERROR: located, but failed to read frequency data\n"});
    }
    {
        ReportParts p = base_parts();
        p.frequency.reset();
        c.broken("no frequency line", p.text(), {"ERROR: could not locate report frequency\n"});
    }
    {
        ReportParts p = base_parts();
        p.header.replace(p.header.find("Left.y,mm"), 9, "Left.why,mm");
        c.broken("unknown header column", p.text(), {"ERROR: table header data is in an unrecognizable format\n"});
    }
    {
        ReportParts p = base_parts();
        p.calibration = "Calibr\t1.0\t2.0\t3.0";
        c.broken("calibration of three numbers", p.text(), {"ERROR: located, but failed to read calibration data\n"});
    }
    {
        ReportParts p = base_parts();
        p.calibration.reset();
        c.broken("no calibration line", p.text(), {"ERROR: failed to locate calibration data\n"});
    }
    {
        ReportParts p = base_parts();
        p.blocks.insert(p.blocks.begin() + 1, std::vector<std::string>{});
        c.broken("two empty lines between blocks", p.text(), {"ERROR: Data points missing for exercise 1\n"});
    }
    {
        ReportParts p = base_parts();
        p.blocks.pop_back();
        c.broken("fewer blocks than exercises", p.text(), {"ERROR: Data points missing for exercise 1\n"});
    }
    {
        ReportParts p = base_parts();
        std::vector<std::string> fields = split_fields(p.blocks[0][2]);
        fields[4] = "1e999";
        p.blocks[0][2] = join_fields(fields);
        c.broken("position out of range", p.text(),
                 {"ERROR: point data entry #3 (at 20 ms) for exercise #1 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        std::vector<std::string> fields = split_fields(p.blocks[1][0]);
        fields[0] = "99999999999";
        p.blocks[1][0] = join_fields(fields);
        c.broken("time beyond 32 bits", p.text(),
                 {"ERROR: point data entry #1 (at 2147483647 ms) for exercise #2 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        std::vector<std::string> fields = split_fields(p.blocks[0][0]);
        fields[1] = "1e-320";
        p.blocks[0][0] = join_fields(fields);
        c.broken("position below the normal range", p.text(),
                 {"ERROR: point data entry #1 (at 0 ms) for exercise #1 is malformed\n"});
    }
}

void add_hostile_kinds(CatalogBuilder& c)
{
    const std::string list_missing = "ERROR: Could not find list of exercises\n";
    c.hostile("binary noise", noise(64 * 1024, 7), Outcome::fails, {list_missing});
    c.hostile("empty file", std::string(), Outcome::fails, {list_missing});
    c.unreadable("hostile", "directory", Shape::directory);
    c.unreadable("hostile", "named pipe", Shape::fifo);
    c.unreadable("hostile", "file name of 5000 characters", Shape::missing, std::string(5000, 'a') + ".tsv");
    {
        const std::string text = base_parts().text();
        c.hostile("cut inside the exercise list", text.substr(0, text.find("2\tProtrusion") + 5), Outcome::fails,
                  {"ERROR: could not locate report frequency\n"});
    }
    {
        const ReportParts p = base_parts();
        std::string text = p.text();
        // Up to the middle of the 26th sample line of the last block: the cut
        // line has no line feed; it counts, and its missing values are told.
        const std::size_t at = text.find(p.blocks[1][25]);
        c.hostile("cut inside the last sample line", text.substr(0, at + 7), Outcome::loads,
                  {"non-fatal error: exercise #2 ("}, 2);
    }
    {
        const std::string text = generated_text(options_of(4, 1.0, 100.0, true));
        c.hostile("cut at 60 percent", text.substr(0, text.size() * 6 / 10), Outcome::either);
    }
    {
        ReportParts p = base_parts();
        std::string tail;
        while (tail.size() < (1u << 20))
            tail += "\t1.5";
        p.blocks[0][10] += tail;
        c.hostile("sample line of a megabyte", p.text(), Outcome::loads, {}, 2);
    }
    {
        c.hostile("first line of a megabyte", std::string(1u << 20, 'x') + "\n" + base_parts().text(), Outcome::loads,
                  {}, 2);
    }
    {
        ReportParts p = base_parts();
        p.entries[0] = "1\t" + std::string(1u << 20, 'n') + "\t0.000\t0.500";
        c.hostile("exercise entry of a megabyte", p.text(), Outcome::fails,
                  {"ERROR: exercise list entry #0 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        p.blocks[0][5].insert(3, 1, '\0');
        c.hostile("NUL byte in a sample line", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        p.entries[0].insert(6, 1, '\0');
        c.hostile("NUL byte in an exercise name", p.text(), Outcome::fails,
                  {"ERROR: exercise list entry #0 is malformed\n"});
    }
    {
        ReportParts p = base_parts();
        const char* odd[] = {"nan", "inf", "-inf", "NaN", "INF", "infinity", "-nan", "+inf", "nan(0x1)"};
        int k = 0;
        for_each_sample(&p, [&](std::vector<std::string>& f) {
            if (++k % 3 == 0)
                for (std::size_t i = 1; i < 10; ++i)
                    f[i] = odd[(k + i) % std::size(odd)];
        });
        c.hostile("NaN and infinite positions", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        p.calibration = "Calibr\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan";
        c.hostile("NaN calibration", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        p.calibration = "Calibr\tinf\t-inf\tinf\t-inf\tinf\t-inf\tinf\t-inf\tinf";
        c.hostile("infinite calibration", p.text(), Outcome::loads, {}, 2);
    }
    for (const char* frequency : {"0", "-100", "-0.001", "nan", "inf", "-inf", "1e308", "-1e308", "1e-300"}) {
        ReportParts p = base_parts();
        p.frequency = std::string("Frequency,Hz\t") + frequency;
        c.hostile(std::string("frequency ") + frequency, p.text(), Outcome::loads, {}, 2);
    }
    {
        // 2000 entries with names of 126 characters, 1000 blocks of two samples.
        ReportParts p = generated_parts(options_of(1000, 0.02, 100.0));
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
    }
    {
        ReportParts p = base_parts();
        for_each_sample(&p, [](std::vector<std::string>& f) {
            for (std::size_t i = 4; i < 10; ++i)
                f[i] = f[1 + (i - 1) % 3];
        });
        p.calibration = "Calibr\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0\t1.0\t2.0\t3.0";
        c.hostile("three points at one place", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        for_each_sample(&p, [](std::vector<std::string>& f) {
            for (std::size_t i = 0; i < 3; ++i) {
                const double right = std::strtod(f[1 + i].c_str(), nullptr);
                const double left = std::strtod(f[4 + i].c_str(), nullptr);
                f[7 + i] = std::to_string((right + left) / 2);
            }
        });
        c.hostile("incisal point between the condyles", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        for_each_sample(&p, [](std::vector<std::string>& f) {
            for (std::size_t i = 1; i < 10; ++i)
                f[i] = "0";
        });
        p.calibration = "Calibr\t0\t0\t0\t0\t0\t0\t0\t0\t0";
        c.hostile("every position zero", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        int k = 0;
        for_each_sample(&p, [&](std::vector<std::string>& f) {
            for (std::size_t i = 1; i < 10; ++i)
                f[i] = ((k + i) % 2 == 0) ? "1e300" : "-1.7e308";
            ++k;
        });
        c.hostile("positions near the largest double", p.text(), Outcome::loads, {}, 2);
    }
    {
        ReportParts p = base_parts();
        p.entries[0] = "1\t%s%n%x%p%ls\t0.000\t0.500";
        p.entries[1] = "2\t\xff\xfe\xc3 broken UTF-8 \xe2\x82\t0.500\t0.500";
        c.hostile("format directives and broken UTF-8 in names", p.text(), Outcome::loads, {}, 2);
        c.kinds.back().file_name = "report_%s%n%d.tsv";
    }
    {
        std::string text = base_parts().text();
        for (char& ch : text)
            if (ch == '\n')
                ch = '\r';
        c.hostile("carriage returns only", text, Outcome::either);
    }
}

}  // namespace

std::vector<ReportKind> report_catalog()
{
    CatalogBuilder c;
    add_valid_kinds(c);
    add_broken_kinds(c);
    add_hostile_kinds(c);
    return std::move(c.kinds);
}

void make_report(const ReportKind& kind, const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    switch (kind.shape) {
    case Shape::file: {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << kind.text;
        if (!out)
            throw std::runtime_error("cannot write " + path.string());
        break;
    }
    case Shape::missing:
        break;
    case Shape::directory:
        std::filesystem::create_directory(path);
        break;
    case Shape::fifo:
        if (mkfifo(path.c_str(), 0600) != 0)
            throw std::runtime_error("cannot make the named pipe " + path.string());
        break;
    }
}

}  // namespace zelto_reliability
