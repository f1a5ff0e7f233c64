#include "tests/test_support.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <tuple>

namespace zelto_test {

std::filesystem::path source_dir()
{
    const char* dir = std::getenv("ZELTO_SOURCE_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::current_path();
}

std::string capture_stdout(const std::function<void()>& body)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    body();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TempWorkingDirectory::TempWorkingDirectory() : previous_(std::filesystem::current_path())
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zelto_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
    std::filesystem::current_path(path_);
}

TempWorkingDirectory::~TempWorkingDirectory()
{
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void write_file(const std::filesystem::path& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t count_of(const std::string& text, const std::string& piece)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

bool is_number_text(std::string text, int decimals, const std::string& unit)
{
    if (!text.ends_with(unit))
        return false;
    text.resize(text.size() - unit.size());
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    const std::size_t point = decimals > 0 ? text.size() - 1 - static_cast<std::size_t>(decimals) : text.size();
    if (point <= start || point > text.size() || (decimals > 0 && text[point] != '.'))
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (i != point && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

void expect_near(const Vector3& actual, const Vector3& expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool same_color(const Color& a, const Color& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

std::string svg_text(const std::function<void(SvgSink&)>& body)
{
    SvgStringSink sink;
    body(sink);
    return sink.text();
}

void flat_viewport(InteractableViewport3d* viewport, int w, int h)
{
    std::tie(viewport->w, viewport->h, viewport->perspective, viewport->foreground) = std::tuple(w, h, 0, c_white);
    std::tie(viewport->camera_x, viewport->camera_y, viewport->camera_z) = std::tuple(0.0, 0.0, -1.0);
    std::tie(viewport->pitch, viewport->yaw, viewport->roll) = std::tuple(0.0, 0.0, 0.0);
    std::tie(viewport->near, viewport->far, viewport->fov) = std::tuple(static_cast<double>(0.1f), 1000.0, 90.0);
}

}  // namespace zelto_test

#include <dlfcn.h>
#include <link.h>

#include <cstring>

#include "platform/resources/resources.hpp"
#include "app/zelto.hpp"

namespace zelto_test {

// SDL unloads the OpenGL driver before LeakSanitizer runs, leaving the
// driver's leaks in an unnamed module; libraries kept mapped keep their
// names for tests/lsan.supp. Loads nothing new.
void keep_loaded_libraries_mapped()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

OffscreenWindow::OffscreenWindow(int width, int height) : width_(width), height_(height)
{
    initialize_SDL();
    if (zelto_user_event_type == 0xFFFFFFFFu)
        zelto_user_event_type = SDL_RegisterEvents(1);
    window_ = open_window("Zelto test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    context_.reset(SDL_GL_CreateContext(window_.get()));
    if (context_ == nullptr)
        throw std::runtime_error(std::string("no OpenGL context: ") + SDL_GetError());
    zelto_set_gl_state();
    glViewport(0, 0, width, height);
    font_ = open_font_rw(font_bytes, font_size, 16);
    small_font_ = open_font_rw(font_bytes, font_size, GUI_SMALL_FONT_POINT_SIZE);
    keep_loaded_libraries_mapped();
}

OffscreenWindow::~OffscreenWindow()
{
    font_.reset();
    small_font_.reset();
    context_.reset();
    window_.reset();
    close_SDL();
}

std::vector<std::uint8_t> OffscreenWindow::read_pixels(int x, int y, int w, int h) const
{
    std::vector<std::uint8_t> bottom_up(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height_ - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<std::uint8_t> top_down(bottom_up.size());
    const std::size_t row = static_cast<std::size_t>(w) * 4;
    for (int r = 0; r < h; ++r)
        std::memcpy(&top_down[static_cast<std::size_t>(r) * row], &bottom_up[static_cast<std::size_t>(h - 1 - r) * row],
                    row);
    return top_down;
}

Color OffscreenWindow::pixel(int x, int y) const
{
    const std::vector<std::uint8_t> p = read_pixels(x, y, 1, 1);
    return Color{p[0], p[1], p[2], p[3]};
}

void prepare_widget_frame(int width, int height)
{
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_ALWAYS);
}

SDL_Event mouse_button_event(std::uint32_t type, int x, int y, std::uint8_t button)
{
    SDL_Event e{};
    e.button = {type, 0, 0, 0, button, type == SDL_MOUSEBUTTONDOWN ? Uint8{SDL_PRESSED} : Uint8{SDL_RELEASED}, 1, 0, x, y};
    return e;
}

SDL_Event mouse_motion_event(int x, int y, int xrel, int yrel)
{
    SDL_Event e{};
    e.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, x, y, xrel, yrel};
    return e;
}

SDL_Event key_event(std::uint32_t type, SDL_Keycode key)
{
    SDL_Event e{};
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return e;
}

SDL_Event text_input_event(const char* utf8)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    return e;
}

std::vector<int> deliver(const std::vector<Interactable*>& widgets, SDL_Event event)
{
    SDL_PushEvent(&event);
    SDL_Event polled;
    // SDL_PollEvent stops at the events pushed after it began.
    while (SDL_PollEvent(&polled))
        if (polled.type != zelto_user_event_type)
            for (Interactable* widget : widgets)
                widget->react(&polled);
    std::vector<int> codes;
    while (SDL_PeepEvents(&polled, 1, SDL_GETEVENT, zelto_user_event_type, zelto_user_event_type) == 1) {
        codes.push_back(polled.user.code);
        const CMemoryPtr data1(polled.user.data1), data2(polled.user.data2);
    }
    return codes;
}

}  // namespace zelto_test
