// The PDF back end of the picture description (picture/picture.hpp):
// pictures as the pages of a PDF document, drawn with Cairo, vector
// throughout. Page units are PostScript points. Text is set in the
// program's own font, DejaVu Sans, embedded in the document (the glyphs
// used); bold text is the same font emboldened. Nothing here touches SDL or
// OpenGL, so the command line writes documents with no display.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "picture/picture.hpp"

// The program's font as Cairo draws it, loaded from the embedded bytes.
class PdfFont {
public:
    PdfFont();
    ~PdfFont();
    PdfFont(const PdfFont&) = delete;
    PdfFont& operator=(const PdfFont&) = delete;

    // False when the font could not be loaded (then nothing can be written).
    bool ok() const;
    // How far `text` advances at `size` points, for layouts that fit text.
    double text_width(std::string_view text, double size, bool bold) const;

    struct Faces;
    const Faces* faces() const { return faces_.get(); }

private:
    std::unique_ptr<Faces> faces_;
};

// An A4 page in points, portrait.
inline constexpr double PDF_A4_WIDTH = 595.2756;
inline constexpr double PDF_A4_HEIGHT = 841.8898;

// Text as Cairo accepts it: whole UTF-8 characters, no control characters.
std::string pdf_text(std::string_view text);

// Writes every picture as one page of its own size to `stream`, with the
// document's title. True when the document was completed; otherwise false
// and *error (when given) says why. The caller owns and closes the stream.
bool pdf_picture_write(std::FILE* stream, const std::vector<Picture>& pages, const std::string& title,
                       const PdfFont& font, std::string* error);
