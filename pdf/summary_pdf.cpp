#include "pdf/summary_pdf.hpp"

#include <sys/stat.h>

#include <ctime>

#include "pdf/pdf_picture.hpp"
#include "platform/file_writer.hpp"

bool summary_pdf_write_stream(std::FILE* stream, const SummaryInput& input, std::string* error)
{
    const PdfFont font;
    const std::vector<Picture> pages = summary_document(
        input, [&](std::string_view text, double size, bool bold) { return font.text_width(text, size, bold); });
    return pdf_picture_write(stream, pages, "Jaw-motion summary: " + input.file_name, font, error);
}

bool summary_pdf_write(const std::filesystem::path& path, const SummaryInput& input, std::string* error)
{
    FileWriter file(path);
    std::string why;
    if (file.stream() != nullptr && !summary_pdf_write_stream(file.stream(), input, &why))
        file.fail(why);
    if (file.commit())
        return true;
    if (error != nullptr)
        *error = file.error();
    return false;
}

std::string summary_pdf_date(std::time_t time)
{
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr)
        return {};
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) > 0 ? std::string(text) : std::string();
}

std::string summary_pdf_file_date(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return {};
    return summary_pdf_date(status.st_mtime);
}
