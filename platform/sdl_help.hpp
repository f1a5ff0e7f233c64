// The thin layer between Zelto and its libraries (SDL2, SDL2_ttf, OpenGL):
// start and stop, the window, the program's user events, surfaces, pictures
// and the font from memory, textures from surfaces; the colour palette; and
// small owning wrappers for the handles these calls return.
//
// Every function here that can fail treats the failure as fatal: it prints
// one line on standard output and ends the process with exit status 1.
#pragma once

#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <memory>

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

// Four 8-bit channels laid out like SDL_Color, so a Color can be handed to
// SDL wherever an SDL_Color is expected. Alpha 255 is opaque.
struct Color {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;
};
static_assert(sizeof(Color) == sizeof(SDL_Color) && alignof(Color) == alignof(SDL_Color));

extern const Color c_beige;
extern const Color c_gray;
extern const Color c_button_active;
extern const Color c_yellow;
extern const Color c_magenta;
extern const Color c_cyan;
extern const Color c_blue;
extern const Color c_green;
extern const Color c_red;
extern const Color c_white;
extern const Color c_black;
extern const Color c_transparent;

inline SDL_Color sdl_color(const Color& c)
{
    return SDL_Color{c.r, c.g, c.b, c.a};
}

void sdl_help_color_copy(Color* dst, const Color* src);
void sdl_help_color_switch(Color* a, Color* b);

// ---------------------------------------------------------------------------
// Owning handles
// ---------------------------------------------------------------------------

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

struct SdlWindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
using WindowPtr = std::unique_ptr<SDL_Window, SdlWindowDeleter>;

struct TtfFontDeleter {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontPtr = std::unique_ptr<TTF_Font, TtfFontDeleter>;

struct GlContextDeleter {
    void operator()(void* context) const { SDL_GL_DeleteContext(context); }
};
using GlContextPtr = std::unique_ptr<void, GlContextDeleter>;

// One OpenGL texture name; deleted with the object. Textures must be
// released while the context that made them is current.
class GlTexture {
public:
    GlTexture() = default;
    explicit GlTexture(GLuint name) : name_(name) {}
    ~GlTexture() { reset(); }
    GlTexture(GlTexture&& other) noexcept : name_(other.name_) { other.name_ = 0; }
    GlTexture& operator=(GlTexture&& other) noexcept
    {
        if (this != &other) {
            reset(other.name_);
            other.name_ = 0;
        }
        return *this;
    }
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    GLuint get() const { return name_; }
    void reset(GLuint name = 0);

private:
    GLuint name_ = 0;
};

// Owns the data pointer of a user event or an SDL string, released with
// free() / SDL_free() as their producers require.
struct CFreeDeleter {
    void operator()(void* p) const;
};
using CMemoryPtr = std::unique_ptr<void, CFreeDeleter>;
struct SdlFreeDeleter {
    void operator()(void* p) const { SDL_free(p); }
};
using SdlMemoryPtr = std::unique_ptr<char, SdlFreeDeleter>;

// ---------------------------------------------------------------------------
// The program's user event
// ---------------------------------------------------------------------------

// Registered once at start-up; 0xFFFFFFFF until then.
extern std::uint32_t zelto_user_event_type;

enum UserEventCode : std::int32_t {
    USER_EVENT_RESIZE_WINDOW = 0,       // data1, data2: heap ints with the new width and height
    USER_EVENT_SCREENSHOT = 1,          // no data
    USER_EVENT_POINT_PICKING_OFF = 2,   // a drag in the 3D view begins
    USER_EVENT_POINT_PICKING_ON = 3,    // the drag ends
    USER_EVENT_REBUILD_JAW_VERTICES = 4, // re-project the paths after a drag
    USER_EVENT_SUMMARY_PDF = 5,         // no data
};

// Posts the user event. data1 and data2 must be null or come from malloc:
// the main loop owns and frees them once the event is handled.
void push_SDL_user_event(int code, void* data1, void* data2);

// A heap int for a user event's data (malloc'd, as the main loop frees it).
void* sdl_help_heap_int(int value);

// ---------------------------------------------------------------------------
// Start, stop, window, surfaces, pictures, fonts, textures
// ---------------------------------------------------------------------------

void initialize_SDL();
void close_SDL();
WindowPtr open_window(const char* title, int x, int y, int w, int h, std::uint32_t flags);
// A blank w x h surface whose bytes in memory are R, G, B, A.
SurfacePtr create_surface(int w, int h);
// Decodes a BMP held in memory (every embedded picture goes through here).
SurfacePtr load_bmp_rw(const void* bytes, std::uint32_t size);
// Opens a TrueType font held in memory; the bytes must outlive the font.
FontPtr open_font_rw(const void* bytes, std::uint32_t size, int point_size);
// Uploads the surface (converted to R, G, B, A bytes) as a new texture with
// nearest filtering and leaves it bound. The caller keeps its surface.
// Without a current OpenGL context both give texture 0 (no texture): widgets
// can then be built and used for their state alone, never drawn.
GLuint surface_to_GL_Texture(SDL_Surface* surface);
// A blank w x h texture, as every widget gets first.
GLuint create_GL_texture(int w, int h);
