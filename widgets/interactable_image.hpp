// The image: a plain widget whose texture holds a bitmap from memory,
// stretched over its rectangle. Both colours are transparent; it has no
// behaviour beyond being drawn.
#pragma once

#include <cstdint>
#include <memory>

#include "widgets/interactable.hpp"

void interactable_image_init(Interactable* image, int x, int y, int w, int h, const void* bmp_bytes,
                             std::uint32_t bmp_size);
std::unique_ptr<Interactable> interactable_image_create(int x, int y, int w, int h, const void* bmp_bytes,
                                                        std::uint32_t bmp_size);
void interactable_image_free(std::unique_ptr<Interactable> image);
