#include "platform/sdl_help.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const Color c_beige{176, 160, 144, 255};
const Color c_gray{160, 160, 160, 255};
const Color c_button_active{64, 192, 255, 255};
const Color c_yellow{255, 255, 64, 255};
const Color c_magenta{255, 64, 255, 255};
const Color c_cyan{64, 255, 255, 255};
const Color c_blue{64, 64, 255, 255};
const Color c_green{64, 255, 64, 255};
const Color c_red{255, 64, 64, 255};
const Color c_white{255, 255, 255, 255};
const Color c_black{0, 0, 0, 255};
const Color c_transparent{0, 0, 0, 0};

std::uint32_t zelto_user_event_type = 0xFFFFFFFFu;

namespace {

// Ends the process after a failure of the libraries; `shut_down` stops
// SDL_ttf and SDL first.
[[noreturn]] void fail(const char* format, bool shut_down)
{
    std::printf(format, SDL_GetError());
    std::fflush(stdout);
    if (shut_down) {
        TTF_Quit();
        SDL_Quit();
    }
    std::exit(1);
}

}  // namespace

void sdl_help_color_copy(Color* dst, const Color* src)
{
    *dst = *src;
}

void sdl_help_color_switch(Color* a, Color* b)
{
    const Color t = *a;
    *a = *b;
    *b = t;
}

void GlTexture::reset(GLuint name)
{
    if (name_ != 0 && name_ != name)
        glDeleteTextures(1, &name_);
    name_ = name;
}

void CFreeDeleter::operator()(void* p) const
{
    std::free(p);
}

void push_SDL_user_event(int code, void* data1, void* data2)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = zelto_user_event_type;
    event.user.code = code;
    event.user.data1 = data1;
    event.user.data2 = data2;
    SDL_PushEvent(&event);
}

void* sdl_help_heap_int(int value)
{
    void* p = std::malloc(sizeof(int));
    if (p != nullptr)
        std::memcpy(p, &value, sizeof value);
    return p;
}

void initialize_SDL()
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        fail("Could not initialize SDL: %s\n", false);
    // When no display can be opened, SDL goes on with a windowless driver of
    // its own; the viewer would then run with a window nobody can see. Those
    // drivers are taken only when asked for by name (SDL_VIDEODRIVER), as the
    // tests and the command-line export ask for the offscreen one.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver != nullptr && (asked == nullptr || *asked == '\0') &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        const char* display = std::getenv("DISPLAY");
        SDL_Quit();
        std::printf("Could not initialize SDL: no display could be opened (DISPLAY %s%s%s)\n",
                    display != nullptr ? "is \"" : "is not set", display != nullptr ? display : "",
                    display != nullptr ? "\"" : "");
        std::fflush(stdout);
        std::exit(1);
    }
    if (TTF_Init() < 0) {
        std::printf("Could not initialize SDL TTF: %s\n", SDL_GetError());
        std::fflush(stdout);
        SDL_Quit();
        std::exit(1);
    }
}

void close_SDL()
{
    TTF_Quit();
    SDL_Quit();
}

WindowPtr open_window(const char* title, int x, int y, int w, int h, std::uint32_t flags)
{
    SDL_Window* window = SDL_CreateWindow(title, x, y, w, h, flags);
    if (window == nullptr)
        fail("Window could not be created: %s\n", true);
    return WindowPtr(window);
}

SurfacePtr create_surface(int w, int h)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(0, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    if (surface == nullptr)
        fail("SDL_CreateRGBSurface() failed: %s\n", false);
    return SurfacePtr(surface);
}

SurfacePtr load_bmp_rw(const void* bytes, std::uint32_t size)
{
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr)
        fail("Icon rwop could not be created: %s\n", true);
    SDL_Surface* surface = SDL_LoadBMP_RW(stream, 1);
    if (surface == nullptr)
        fail("Icon could not be created: %s\n", true);
    return SurfacePtr(surface);
}

FontPtr open_font_rw(const void* bytes, std::uint32_t size, int point_size)
{
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr)
        fail("Font rwop could not be created: %s\n", true);
    TTF_Font* font = TTF_OpenFontRW(stream, 1, point_size);
    if (font == nullptr)
        fail("Font could not be created: %s\n", true);
    return FontPtr(font);
}

GLuint surface_to_GL_Texture(SDL_Surface* surface)
{
    // Without a current context there is nothing to upload to: the command
    // line builds the panel without a window only for the state it leads to.
    if (SDL_GL_GetCurrentContext() == nullptr)
        return 0;
    // R, G, B, A bytes in memory whatever the source: 4-bit palette pictures,
    // 32-bit pictures with alpha and SDL_ttf's text surfaces alike.
    const SurfacePtr converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ABGR8888, 0));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Widgets are drawn pixel for pixel: no smoothing.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (converted != nullptr) {
        // Rows are tightly packed only when the pitch says so; tell OpenGL.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, converted->pitch / 4);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, converted->w, converted->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     converted->pixels);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    return texture;
}

GLuint create_GL_texture(int w, int h)
{
    if (SDL_GL_GetCurrentContext() == nullptr)
        return 0;
    const SurfacePtr blank = create_surface(w, h);
    return surface_to_GL_Texture(blank.get());
}
