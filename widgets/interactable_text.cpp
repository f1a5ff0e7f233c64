#include "widgets/interactable_text.hpp"

#include <algorithm>
#include <vector>

#include "base/string_tools.hpp"

void InteractableText::render()
{
    interactable_text_render(this);
}

std::string string_format_va(const char* format, va_list arguments)
{
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string string_format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string result = string_format_va(format, arguments);
    va_end(arguments);
    return result;
}

void interactable_text_init(InteractableText* widget, int x, int y, int w, int h, const Color* foreground,
                            const Color* background, InteractableCallback callback, const char* text,
                            TTF_Font* font)
{
    interactable_init(widget, x, y, w, h, foreground, background, callback);
    widget->texture_valid = 0;
    widget->font = font;
    widget->text = text != nullptr ? text : "";
    widget->text_size = static_cast<std::int32_t>(widget->text.size() + 1);
}

std::unique_ptr<InteractableText> interactable_text_create(int x, int y, int w, int h, const Color* foreground,
                                                           const Color* background, InteractableCallback callback,
                                                           const char* text, TTF_Font* font)
{
    auto widget = interactable_allocate<InteractableText>("Malloc for interactable (text) failed\n");
    interactable_text_init(widget.get(), x, y, w, h, foreground, background, callback, text, font);
    return widget;
}

void interactable_text_set_text(InteractableText* widget, const char* text)
{
    widget->texture_valid = 0;
    widget->text = text != nullptr ? text : "";
    widget->text_size = static_cast<std::int32_t>(widget->text.size() + 1);
}

void interactable_text_set_text_formatted(InteractableText* widget, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    interactable_text_set_text_formatted_va(widget, format, arguments);
    va_end(arguments);
}

void interactable_text_set_text_formatted_va(InteractableText* widget, const char* format, va_list arguments)
{
    const std::string formatted = string_format_va(format, arguments);
    interactable_text_set_text(widget, formatted.c_str());
}

SurfacePtr interactable_text_draw_text(InteractableText* widget)
{
    SurfacePtr picture = create_surface(widget->w, widget->h);
    const Color& bg = widget->background;
    SDL_FillRect(picture.get(), nullptr, SDL_MapRGBA(picture->format, bg.r, bg.g, bg.b, bg.a));

    if (widget->wrap && widget->font != nullptr && !widget->text.empty()) {
        const SurfacePtr rendered(TTF_RenderUTF8_Blended_Wrapped(widget->font, widget->text.c_str(),
                                                                 sdl_color(widget->foreground),
                                                                 static_cast<std::uint32_t>(std::max(widget->w - 6, 1))));
        if (rendered != nullptr) {
            SDL_Rect destination{3, 0, rendered->w, rendered->h};
            SDL_BlitSurface(rendered.get(), nullptr, picture.get(), &destination);
        }
    } else if (widget->font != nullptr && !widget->text.empty()) {
        // Only the beginning that can show is rendered. Each character with
        // an advance moves the pen at least one pixel, so the ones after the
        // first w + 1 start right of the picture. A whole long text (a pasted
        // page, a path of a megabyte) would cost time and memory in
        // proportion to its length on every rebuild, and past about two
        // gigabytes of picture SDL_ttf renders nothing at all.
        const std::size_t visible =
            string_utf8_prefix_length(widget->text, static_cast<std::size_t>(std::max(widget->w, 0)) + 1);
        const std::string shown = widget->text.substr(0, visible);
        const SurfacePtr rendered(TTF_RenderUTF8_Blended(widget->font, shown.c_str(), sdl_color(widget->foreground)));
        if (rendered != nullptr) {
            // Blended over the background; cut off at the picture's edges.
            SDL_Rect destination{3, 0, rendered->w, rendered->h};
            SDL_BlitSurface(rendered.get(), nullptr, picture.get(), &destination);
        }
    }
    return picture;
}

namespace {

void replace_texture(InteractableText* widget, SDL_Surface* picture)
{
    widget->texture.reset(surface_to_GL_Texture(picture));
    widget->texture_valid = 1;
}

}  // namespace

int interactable_text_wrapped_lines(const InteractableText* widget)
{
    if (!widget->wrap || widget->font == nullptr || widget->text.empty())
        return 1;
    const SurfacePtr rendered(TTF_RenderUTF8_Blended_Wrapped(widget->font, widget->text.c_str(), SDL_Color{0, 0, 0, 255},
                                                             static_cast<std::uint32_t>(std::max(widget->w - 6, 1))));
    const int skip = std::max(TTF_FontLineSkip(widget->font), 1);
    return rendered != nullptr ? std::max((rendered->h + skip / 2) / skip, 1) : 1;
}

void interactable_text_render(InteractableText* widget)
{
    if (!widget->active || widget->texture_valid)
        return;
    const SurfacePtr picture = interactable_text_draw_text(widget);
    replace_texture(widget, picture.get());
}

void interactable_text_render_outline(InteractableText* widget)
{
    if (!widget->active || widget->texture_valid)
        return;
    const SurfacePtr framed = create_surface(widget->w, widget->h);
    const Color& fg = widget->foreground;
    SDL_FillRect(framed.get(), nullptr, SDL_MapRGBA(framed->format, fg.r, fg.g, fg.b, fg.a));

    const SurfacePtr picture = interactable_text_draw_text(widget);
    SDL_SetSurfaceBlendMode(picture.get(), SDL_BLENDMODE_NONE);
    SDL_Rect inner{1, 1, widget->w - 2, widget->h - 2};
    SDL_Rect destination = inner;
    SDL_BlitSurface(picture.get(), &inner, framed.get(), &destination);
    replace_texture(widget, framed.get());
}

void interactable_text_free(std::unique_ptr<InteractableText> widget)
{
    widget.reset();
}
