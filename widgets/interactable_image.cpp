#include "widgets/interactable_image.hpp"

void interactable_image_init(Interactable* image, int x, int y, int w, int h, const void* bmp_bytes,
                             std::uint32_t bmp_size)
{
    interactable_init(image, x, y, w, h, &c_transparent, &c_transparent, nullptr);
    // The bitmap replaces the blank texture; the base blit stretches it over
    // the widget's rectangle whatever its own size.
    const SurfacePtr bitmap = load_bmp_rw(bmp_bytes, bmp_size);
    image->texture.reset(surface_to_GL_Texture(bitmap.get()));
}

std::unique_ptr<Interactable> interactable_image_create(int x, int y, int w, int h, const void* bmp_bytes,
                                                        std::uint32_t bmp_size)
{
    auto image = interactable_allocate<Interactable>("Malloc for interactable (image) failed\n");
    interactable_image_init(image.get(), x, y, w, h, bmp_bytes, bmp_size);
    return image;
}

void interactable_image_free(std::unique_ptr<Interactable> image)
{
    image.reset();
}
