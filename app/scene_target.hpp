// Offscreen framebuffers of the 3D view. With a report loaded the scene is
// drawn into a framebuffer of its own (colour and 24-bit depth) and its
// colour is copied onto the window; a second framebuffer of the same format
// keeps the layer of whole paths and calibration points, which is restored
// with its depth while it stays valid instead of being drawn again.
#pragma once

#include "platform/sdl_help.hpp"

class SceneTarget {
public:
    SceneTarget() = default;
    ~SceneTarget();
    SceneTarget(const SceneTarget&) = delete;
    SceneTarget& operator=(const SceneTarget&) = delete;

    // Makes both framebuffers `side` pixels square; false when framebuffer
    // objects are not available (the scene is then drawn on the window).
    bool prepare(int side);
    // Prepares them and clears both once, so that the driver gives them
    // their memory now rather than in the first frame drawn into them. Only
    // while neither holds a picture that is still used.
    void warm(int side);
    void bind_scene() const;
    void bind_layer() const;
    // Copies the kept layer, colour and depth, into the scene framebuffer.
    void restore_layer() const;
    // Copies the scene's colour onto the window's 3D view and draws on the
    // window again.
    void present() const;
    void release();

private:
    static constexpr int scene = 0, layer = 1;
    GLuint framebuffers_[2] = {0, 0};
    GLuint colors_[2] = {0, 0};
    GLuint depths_[2] = {0, 0};
    int side_ = 0;
    bool unavailable_ = false;
    bool warmed_ = false;  // cleared once since made
};
