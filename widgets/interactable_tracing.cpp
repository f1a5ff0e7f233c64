#include "widgets/interactable_tracing.hpp"

#include <algorithm>
#include <utility>

#include "widgets/picture_raster.hpp"

void InteractableTracing::react(const SDL_Event* event)
{
    interactable_tracing_react(this, event);
}

void InteractableTracing::render()
{
    interactable_tracing_render(this);
}

namespace {

// The items of `picture` from `first` on, as a picture of their own.
Picture items_from(const Picture& picture, std::size_t first)
{
    Picture out;
    out.width = picture.width;
    out.height = picture.height;
    if (first < picture.items.size())
        out.items.assign(picture.items.begin() + static_cast<long>(first), picture.items.end());
    return out;
}

}  // namespace

std::unique_ptr<InteractableTracing> interactable_tracing_create(int x, int y, int w, int h,
                                                                 InteractableCallback callback, TTF_Font* font)
{
    auto tracing = interactable_allocate<InteractableTracing>("Malloc for interactable (tracing) failed\n");
    const Color black{0, 0, 0, 255}, white{255, 255, 255, 255};
    interactable_init(tracing.get(), x, y, w, h, &black, &white, callback);
    tracing->font = font;
    interactable_tracing_set_sheet(tracing.get(), tracing_picture_build(nullptr, -1, -1, w, h), nullptr);
    return tracing;
}

void interactable_tracing_set_sheet(InteractableTracing* tracing, TracingSheet sheet, const EmgReport* report)
{
    tracing->sheet = std::move(sheet);
    tracing->report = report;
    tracing->sheet_drawn = 0;
    tracing->texture_valid = 0;
}

void interactable_tracing_set_sample(InteractableTracing* tracing, std::int32_t sample)
{
    tracing_picture_mark(&tracing->sheet, tracing->report, sample);
    tracing->texture_valid = 0;
}

void interactable_tracing_place(InteractableTracing* tracing, int x, int y, int w, int h)
{
    interactable_set_position(tracing, x, y);
    tracing->w = w;
    tracing->h = h;
    tracing->sheet_drawn = 0;
    tracing->texture_valid = 0;
}

// A press inside a plot asks for the nearest sample; the rest of the pointer
// is the 3D view's business only when the sheet is hidden.
void interactable_tracing_react(InteractableTracing* tracing, const SDL_Event* event)
{
    // Input
    if (interactable_pointer(tracing, event, InteractableCapture::none) != InteractablePointer::press)
        return;
    const PicturePoint at{event->button.x - tracing->x + 0.5, event->button.y - tracing->y + 0.5};
    const std::optional<std::int32_t> sample = tracing_picture_sample_at(tracing->sheet, tracing->report, at);
    if (!sample)
        return;
    // State change, callback
    tracing->seek_sample = *sample;
    if (tracing->callback != nullptr)
        tracing->callback(tracing);
}

void interactable_tracing_render(InteractableTracing* tracing)
{
    if (!tracing->active || tracing->texture_valid)
        return;
    // Build picture: the sheet once, then its marks over a copy of it.
    if (!tracing->sheet_drawn || tracing->drawn == nullptr) {
        Picture paths = tracing->sheet.picture;
        paths.items.resize(std::min(paths.items.size(), tracing->sheet.marks_from));
        tracing->drawn = picture_raster_surface(paths, tracing->font);
        tracing->sheet_drawn = 1;
    }
    SurfacePtr picture = create_surface(tracing->drawn->w, tracing->drawn->h);
    SDL_SetSurfaceBlendMode(tracing->drawn.get(), SDL_BLENDMODE_NONE);
    SDL_BlitSurface(tracing->drawn.get(), nullptr, picture.get(), nullptr);
    picture_raster_draw(picture.get(), items_from(tracing->sheet.picture, tracing->sheet.marks_from), tracing->font);
    // Upload texture
    tracing->texture.reset(surface_to_GL_Texture(picture.get()));
    tracing->texture_valid = 1;
}
